#!/usr/bin/env bash
# Cross-builds the engine, kiroconv.exe, kiroconv-cli.exe, the engine's tests and the tests'
# stand-in remote API library (never shipped) for 64-bit Windows into build-windows/ (or
# $1), with warnings as errors, against the prebuilt wxWidgets for Windows. Installs
# mingw-w64 and wine and unpacks the toolkit first.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-windows.sh
build_dir=${1:-build-windows}
cmake --no-warn-unused-cli -S . -B "$build_dir" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKIROCONV_WERROR=ON -DKIROCONV_BENCH=OFF \
    -DKIROCONV_WXMSW_ROOT="$(scripts/windows-toolkit.sh)" >/dev/null
nice cmake --build "$build_dir" -j2 --target kiroconv kiroconv-cli kiroconv_engine_tests \
    kiroconv_rapi_standin kiroconv_gui_tests kiroconv_screenshots
