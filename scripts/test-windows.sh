#!/usr/bin/env bash
# Cross-builds for Windows and runs the Windows build's tests under wine: the engine's tests
# as a Windows program; the window's tests on a virtual display, driven from Linux; the
# Linux tests that compare kiroconv-cli.exe with the Linux build and drive it against the
# emulated handheld through the tests' stand-in remote API library; last, the installer
# and the zip are written and checked: the installer installs, associates, starts and
# uninstalls cleanly under wine.
# The Linux build is in build/ (or KIROCONV_BUILD_DIR), the Windows one in build-windows/
# (or KIROCONV_WINDOWS_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
linux_build=${KIROCONV_BUILD_DIR:-build}
windows_build=${KIROCONV_WINDOWS_BUILD_DIR:-build-windows}

scripts/setup.sh
scripts/build-windows.sh "$windows_build"
scripts/build.sh "$linux_build"

# A Windows installation of the tests' own, made on the first run, without the .NET and
# web engines that wine would offer to download.
export WINEPREFIX=$PWD/$windows_build/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# The Recycle Bin that wine keeps (in the desktop's trash) is the tests' own, never the user's.
export XDG_DATA_HOME=$PWD/$windows_build/test-data-home
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot --init >/dev/null 2>&1 || true
fi

ctest --test-dir "$windows_build" --output-on-failure --timeout 600
KIROCONV_WINDOWS_BUILD=$PWD/$windows_build \
    ctest --test-dir "$linux_build" -R '^(WindowsBuildTest|LoopbackLinkTest)\.|^WindowsWindowTests$' \
    --output-on-failure --timeout 900

scripts/package-windows.sh "$windows_build" >/dev/null
zip_file=$(ls "$windows_build"/kiroconv-[0-9]*-win64.zip)
listing=$(unzip -Z1 "$zip_file")
for expected in kiroconv.exe kiroconv-cli.exe README.txt LICENSE.txt licenses/CLI11.txt \
                licenses/wxWidgets.txt; do
    grep -q "/$expected\$" <<<"$listing" || { echo "$zip_file lacks $expected" >&2; exit 1; }
done
if grep -qi "rapi.dll" <<<"$listing"; then
    echo "$zip_file holds the tests' stand-in library" >&2
    exit 1
fi
tests/package/check-windows-installer.sh "$windows_build"
echo "Windows build: every test passed; the installer and $zip_file are written (${SECONDS} s)."
