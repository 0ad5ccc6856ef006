#!/usr/bin/env bash
# Installs the Windows installer silently under wine (the prefix of $WINEPREFIX), checks
# the files, the Start menu entry, the file associations and that the window comes up;
# then uninstalls silently and checks that nothing is left. Usage:
#   check-windows-installer.sh BUILD_WINDOWS_DIR
set -euo pipefail
build=$1
setup=$(ls "$build"/kiroconv-*-win64-setup.exe)
export WINEDEBUG=-all
prefix=${WINEPREFIX:-$HOME/.wine}
programs="$prefix/drive_c/Program Files/KiroConv"
menu="$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/KiroConv"
extensions=(scope_ks absorbance_ks transmission_ks dark_ks reference_ks background_ks
            backgrounddark_ks sample_ks)
fail() { echo "check-windows-installer.sh: $*" >&2; exit 1; }
registry_has() { wine reg query "$1" /ve >/dev/null 2>&1; }
registry_default() { wine reg query "$1" /ve 2>/dev/null | tr -d '\r'; }

# Wine programs that ran before without a display have ended.
wineserver -w
wine "$setup" /S
wineserver -w
# The installed program comes up with its window on a virtual display (before any other
# wine program runs without a display and starts the session without one).
KIROCONV_PROGRAM="$programs/kiroconv.exe" xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" sh -c '
    wine "$KIROCONV_PROGRAM" & program=$!
    shown=1
    for _ in $(seq 120); do
        if xwininfo -root -tree 2>/dev/null | grep -q "KIROSCAN Conversion Utility"; then
            shown=0
            break
        fi
        sleep 0.5
    done
    kill "$program" 2>/dev/null
    wait "$program" 2>/dev/null
    exit "$shown"
' || fail "the installed kiroconv.exe showed no window"

for file in kiroconv.exe kiroconv-cli.exe LICENSE.txt README.txt Uninstall.exe \
            licenses/wxWidgets.txt licenses/zlib.txt licenses/CLI11.txt; do
    [ -f "$programs/$file" ] || fail "$file was not installed"
done
[ ! -e "$programs/rapi.dll" ] || fail "the tests' stand-in library was installed"
[ -f "$menu/KiroConv.lnk" ] || fail "no Start menu entry"
for extension in "${extensions[@]}"; do
    registry_default "HKLM\\Software\\Classes\\.$extension" | grep -q 'KiroConv\.Spectrum' ||
        fail ".$extension does not open in KiroConv"
done
registry_default 'HKLM\Software\Classes\KiroConv.Spectrum\shell\open\command' |
    grep -q 'Program Files\\KiroConv\\kiroconv.exe" "%1"' || fail "no open command"


wine "$programs/Uninstall.exe" /S
wineserver -w
[ ! -e "$programs" ] || fail "the program folder is left: $(ls "$programs")"
[ ! -e "$menu" ] || fail "the Start menu entry is left"
for key in "${extensions[@]/#/HKLM\\Software\\Classes\\.}" 'HKLM\Software\Classes\KiroConv.Spectrum' \
           'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\KiroConv' \
           'HKLM\Software\Corvane Tech Software'; do
    ! registry_has "$key" || fail "$key is left in the registry"
done
echo "the installer installs, associates, starts and uninstalls cleanly"
