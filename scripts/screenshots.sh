#!/usr/bin/env bash
# Builds the desktop program's window code and photographs it on a virtual display,
# connected to an emulated handheld with its demo data: the main window in each of the
# four list styles (main-*.png), the spectrum preview with the demo's absorbance spectrum,
# with its scope, dark and reference overlaid, and with a scope and an absorbance on two
# axes and a transmission left out (preview-*.png), the dialogs (dialog-*.png) and the
# message boxes over the window (box-*.png), into build/screenshots/.
# With --windows, the Windows build's window under wine (a window manager on the virtual
# display, the handheld started by kiroconv_wine_driver), into build-windows/screenshots/.
# For review of texts, bars and pictures; nothing is compared automatically. Usage:
#   scripts/screenshots.sh [BUILD_DIR]                              (default build/)
#   scripts/screenshots.sh --windows [BUILD_DIR [WINDOWS_BUILD_DIR]] (default build/, build-windows/)
set -euo pipefail
cd "$(dirname "$0")/.."
windows=0
if [ "${1:-}" = "--windows" ]; then
    windows=1
    shift
fi
build_dir=${1:-build}
cmake -S . -B "$build_dir" >/dev/null
work=$(mktemp -d)
sim_pid=
cleanup() {
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

if [ "$windows" = 1 ]; then
    windows_build=${2:-build-windows}
    scripts/build-windows.sh "$windows_build"
    cmake --build "$build_dir" --target kiroconv_wine_driver kiroscan-sim -j2 >/dev/null
    out=$windows_build/screenshots
    mkdir -p "$out"
    export WINEPREFIX=$PWD/$windows_build/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    # The window's settings start afresh: first-run settings, as on Linux.
    wine reg delete 'HKCU\Software\Corvane Tech Software\KiroConv' /f >/dev/null 2>&1 || true
    KIROCONV_WINDOWS_BUILD=$PWD/$windows_build timeout 600 tests/ui/run-under-xvfb.sh \
        "$build_dir/tests/kiroconv_wine_driver" kiroconv_screenshots.exe "Z:$(realpath "$out")"
    ls -1 "$out"/*.png
    exit 0
fi

cmake --build "$build_dir" --target kiroconv_screenshots kiroscan-sim -j2 >/dev/null
out=$build_dir/screenshots
mkdir -p "$out"
export KIROSCAN_SOCKET=$work/kiroscan.sock
"$build_dir/tools/kiroscan-sim" --demo "$work/handheld" >/dev/null 2>&1 &
sim_pid=$!
export KIROSCAN_SIM_PID=$sim_pid  # the window photographs losing it
for _ in $(seq 50); do
    [ -S "$KIROSCAN_SOCKET" ] && break
    sleep 0.1
done
# A fresh HOME: first-run settings, nothing of the user's touched.
mkdir -p "$work/home"
HOME=$work/home XDG_CONFIG_HOME=$work/home/.config \
    timeout 300 tests/ui/run-under-xvfb.sh "$build_dir/tests/kiroconv_screenshots" "$out"
ls -1 "$out"/*.png
