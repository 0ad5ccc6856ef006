#!/usr/bin/env bash
# Configures and builds into build/ (or the folder given as $1, with extra CMake options after
# it). Everything is built, unless --target names the only targets to build:
#   scripts/build.sh build -DKIROCONV_BENCH=OFF --target kiroconv kiroconv-cli
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build}
shift || true
options=()
targets=()
while [ $# -gt 0 ]; do
    if [ "$1" = --target ]; then
        shift
        targets=("$@")
        break
    fi
    options+=("$1")
    shift
done
cmake -S . -B "$build_dir" "${options[@]}" >/dev/null
cmake --build "$build_dir" -j2 ${targets[@]+--target "${targets[@]}"}
