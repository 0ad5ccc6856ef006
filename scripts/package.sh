#!/usr/bin/env bash
# Sets up the machine, builds, and makes the Debian packages build/kiroconv_VERSION_amd64.deb
# and build/kiroscan-sim_VERSION_amd64.deb, the emulated handheld (in the folder that
# KIROCONV_BUILD_DIR names, when set). Install them with
#   sudo apt install ./build/kiroconv_*.deb
#   sudo apt install ./build/kiroscan-sim_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${KIROCONV_BUILD_DIR:-build}
scripts/setup.sh
scripts/build.sh "$build_dir"
# CPack talks about every step; its words matter only when it fails or warns.
cpack_log=$build_dir/cpack.log
if ! (cd "$build_dir" && cpack -G DEB) >"$cpack_log" 2>&1; then
    cat "$cpack_log" >&2
    exit 1
fi
if grep -q 'Warning' "$cpack_log"; then
    cat "$cpack_log" >&2
fi
ls "$build_dir"/kiroconv_*_amd64.deb "$build_dir"/kiroscan-sim_*_amd64.deb
