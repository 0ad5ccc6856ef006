#!/usr/bin/env bash
# Sets up the machine, builds, and runs the main job: the desktop program against an
# emulated handheld filled with demo data. Connect, open "My Documents", select the
# spectra, pick an action and press Go; the files land in the target folder shown on
# the bar (by default your documents folder).
#
# Without a display the program runs on a virtual one instead: the script photographs
# the window connected to the demo handheld, prints where the picture is, and then
# shows the same job done by the command line.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
# Only what this script runs: the window, the emulated handheld, the command line and the
# screenshot program. scripts/test.sh builds the rest (tests and benchmarks) into the same folder.
scripts/build.sh build --target kiroconv kiroscan-sim kiroconv-cli kiroconv_screenshots

work=$(mktemp -d "${TMPDIR:-/tmp}/kiroconv-demo-XXXXXX")
sim_pid=
cleanup() {
    if [ -n "$sim_pid" ]; then
        kill "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# The emulated handheld, on a socket of its own so that nothing else is disturbed.
export KIROSCAN_SOCKET=$work/kiroscan.sock
build/tools/kiroscan-sim --demo "$work/handheld" >"$work/sim.log" 2>&1 &
sim_pid=$!
for _ in $(seq 50); do
    [ -S "$KIROSCAN_SOCKET" ] && break
    sleep 0.1
done

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "The emulated handheld is running with its demo data; press Connect in the window."
    build/src/kiroconv
    exit 0
fi

echo "No display: running the window on a virtual display and photographing it."
# Every run starts with an empty demo-output/, so that it shows its conversions again
# instead of outputs kept from the run before.
rm -rf demo-output
mkdir demo-output
shot=$PWD/demo-output/kiroconv-window.png
home=$work/home
mkdir -p "$home"
HOME=$home XDG_CONFIG_HOME=$home/.config \
    tests/ui/run-under-xvfb.sh build/tests/kiroconv_screenshots --connected-only "$PWD/demo-output"
echo "The window, connected to the demo handheld: $shot"
echo
echo "The same job from the command line: My Documents copied and converted into demo-output/."
mapfile -t names < <(build/tools/kiroconv-cli ls "/My Documents" | grep -v '/$')
build/tools/kiroconv-cli transfer -a copy-convert --to demo-output --log demo-output/LogFile.log \
    "/My Documents" "${names[@]}"
echo
echo "Outputs are in demo-output/; the activity log is demo-output/LogFile.log"
