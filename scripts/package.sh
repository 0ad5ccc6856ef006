#!/usr/bin/env bash
# Sets up the machine, builds, and makes the Debian package build/kiroconv_VERSION_amd64.deb
# (in the folder that KIROCONV_BUILD_DIR names, when set). Install it with
#   sudo apt install ./build/kiroconv_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${KIROCONV_BUILD_DIR:-build}
scripts/setup.sh
scripts/build.sh "$build_dir"
(cd "$build_dir" && cpack -G DEB >/dev/null)
ls "$build_dir"/kiroconv_*_amd64.deb
