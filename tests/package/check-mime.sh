#!/usr/bin/env bash
# Installs the MIME package into a temporary data folder and checks what the desktop
# calls a spectrum file: its kind's type by name, and the parent type when renamed.
# Usage: check-mime.sh MIME_PACKAGE SPECTRUM_FILE
set -euo pipefail
work=$(mktemp -d "${TMPDIR:-/tmp}/kiroconv-mime-XXXXXX")
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME=$work/data
mkdir -p "$XDG_DATA_HOME/mime/packages"
cp "$1" "$XDG_DATA_HOME/mime/packages/kiroconv.xml"
update-mime-database "$XDG_DATA_HOME/mime"
cp "$2" "$work/run7.scope_ks"
cp "$2" "$work/measurement"
# No desktop session: xdg-mime asks the mimetype program.
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID
status=0
expect() {
    local actual
    actual=$(xdg-mime query filetype "$1")
    if [ "$actual" != "$2" ]; then
        echo "FAIL: $(basename "$1") is $actual, not $2" >&2
        status=1
    fi
}
expect "$work/run7.scope_ks" application/x-kiroscan-scope
expect "$work/measurement" application/x-kiroscan-spectrum
# Every kind is a spectrum, so what opens or previews a spectrum takes each kind.
kinds=$(grep -c '<glob ' "$1")
children=$(grep -c ' application/x-kiroscan-spectrum$' "$XDG_DATA_HOME/mime/subclasses" || true)
if [ "$children" != "$kinds" ]; then
    echo "FAIL: $children of the $kinds kinds are subclasses of application/x-kiroscan-spectrum" >&2
    status=1
fi
exit $status
