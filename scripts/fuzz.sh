#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ and runs each for SECONDS
# (default 60), one after another, from a copy of its seed corpus in fuzz/corpus/ (the
# committed corpus never grows). Prints each target's executions; exits non-zero when
# any target finds a crash, a leak, a hang or a broken property, and keeps the input
# that did it in build-fuzz/findings/TARGET/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build_dir=build-fuzz
targets=(fuzz_device_spectrum fuzz_rapi_client fuzz_sim_session fuzz_device_names
    fuzz_delimited_text fuzz_kirobench fuzz_spc fuzz_jcamp)

CC=clang CXX=clang++ cmake -S . -B "$build_dir" -DKIROCONV_FUZZ=ON >/dev/null
cmake --build "$build_dir" -j2 --target "${targets[@]}"

work=$(mktemp -d "${TMPDIR:-/tmp}/kiroconv-fuzz-XXXXXX")
trap 'rm -rf "$work"' EXIT
# The targets' throwaway folders go here too, so that a crash leaves nothing behind.
mkdir "$work/tmp"
export TMPDIR=$work/tmp
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

failed=0
for target in "${targets[@]}"; do
    corpus=$work/$target/corpus
    artifacts=$work/$target/artifacts
    mkdir -p "$corpus" "$artifacts"
    cp fuzz/corpus/"$target"/* "$corpus"/
    log=$work/$target/log
    status=0
    "$build_dir/fuzz/$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$artifacts/" "$corpus" >"$log" 2>&1 || status=$?
    executions=$(grep -m1 '^stat::number_of_executed_units:' "$log" | awk '{print $2}' || true)
    if [ -z "$executions" ]; then
        executions=$(grep -o '^#[0-9]*' "$log" | tail -1 | tr -d '#' || true)
    fi
    if [ "$status" -eq 0 ]; then
        printf '%-22s %12s executions\n' "$target" "${executions:-?}"
    else
        failed=1
        kept=$build_dir/findings/$target
        mkdir -p "$kept"
        cp "$log" "$kept/log.txt"
        cp "$artifacts"/* "$kept"/ 2>/dev/null || true
        printf '%-22s %12s executions, FAILED (status %d); input and log in %s\n' \
            "$target" "${executions:-?}" "$status" "$kept"
        grep -E 'ERROR|property broken|SUMMARY' "$log" | head -5 || true
    fi
done
exit "$failed"
