#!/usr/bin/env bash
# Sets up the machine, builds, and runs the whole test suite, in build/ or in the folder
# that KIROCONV_BUILD_DIR names.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${KIROCONV_BUILD_DIR:-build}
scripts/setup.sh
scripts/build.sh "$build_dir"
ctest --test-dir "$build_dir" -j2 --output-on-failure --timeout 300
