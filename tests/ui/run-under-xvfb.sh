#!/bin/sh
# Runs a window test program on a virtual display with a window manager (placement
# tests need one), each run on a display of its own.
set -eu
exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" sh -c '
    openbox --sm-disable >/dev/null 2>&1 &
    wm=$!
    KIROCONV_WAIT_FOR_WM=1 "$@"
    status=$?
    kill "$wm" 2>/dev/null || true
    exit "$status"
' run-under-xvfb "$@"
