#!/usr/bin/env bash
# Builds the desktop program's window code and photographs it on a virtual display,
# connected to an emulated handheld with its demo data: the main window in each of the
# four list styles (main-*.png), the spectrum preview with the demo's absorbance spectrum,
# with its scope, dark and reference overlaid, and with a scope and an absorbance on two
# axes and a transmission left out (preview-*.png), the dialogs (dialog-*.png) and the
# message boxes over the window (box-*.png), into build/screenshots/.
# For review of texts, bars and pictures; nothing is compared automatically. Usage:
#   scripts/screenshots.sh [BUILD_DIR]   (default build/)
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build}
cmake -S . -B "$build_dir" >/dev/null
cmake --build "$build_dir" --target kiroconv_screenshots kiroscan-sim -j2 >/dev/null
out=$build_dir/screenshots
mkdir -p "$out"
work=$(mktemp -d)
sim_pid=
cleanup() {
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
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
