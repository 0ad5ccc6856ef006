#!/usr/bin/env bash
# Installs the MIME package into a temporary data folder and checks what the desktop
# calls a spectrum file: its kind's type by name, and the parent type when renamed. Kinds
# are case-sensitive: a name in capitals is no kind, so only the content can tell.
# Usage: check-mime.sh MIME_PACKAGE SPECTRUM_FILE
set -euo pipefail
work=$(mktemp -d "${TMPDIR:-/tmp}/kiroconv-mime-XXXXXX")
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME=$work/data XDG_DATA_DIRS=/usr/share
mkdir -p "$XDG_DATA_HOME/mime/packages"
cp "$1" "$XDG_DATA_HOME/mime/packages/kiroconv.xml"
update-mime-database "$XDG_DATA_HOME/mime"
cp "$2" "$work/run7.scope_ks"
cp "$2" "$work/measurement"
cp "$2" "$work/LAMP.SCOPE_KS"
printf 'Dye mix, 0.1 mM\r\n' >"$work/NOTES.SCOPE_KS"
status=0
# Asks GLib, as the file managers do (the mimetype program of xdg-mime ignores the case flag).
expect() {
    local actual
    actual=$(gio info -a standard::content-type "$1" | sed -n 's/^ *standard::content-type: //p')
    if [ "$actual" != "$2" ]; then
        echo "FAIL: $(basename "$1") is $actual, not $2" >&2
        status=1
    fi
}
expect "$work/run7.scope_ks" application/x-kiroscan-scope
expect "$work/measurement" application/x-kiroscan-spectrum
expect "$work/LAMP.SCOPE_KS" application/x-kiroscan-spectrum
expect "$work/NOTES.SCOPE_KS" text/plain
# Every kind is a spectrum, so what opens or previews a spectrum takes each kind.
kinds=$(grep -c '<glob ' "$1")
children=$(grep -c ' application/x-kiroscan-spectrum$' "$XDG_DATA_HOME/mime/subclasses" || true)
if [ "$children" != "$kinds" ]; then
    echo "FAIL: $children of the $kinds kinds are subclasses of application/x-kiroscan-spectrum" >&2
    status=1
fi
exit $status
