#!/usr/bin/env bash
# Unpacks the prebuilt wxWidgets for Windows (a static mingw-w64 build) into a cache outside
# any build folder, once per tarball, and prints the folder it lives in. The tarball is
# $KIROCONV_WXMSW_TARBALL, else the one in shared/wxmsw beside this project's clone, else
# the one in /work/shared/wxmsw.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
name=wxmsw-3.2-mingw64-posix.tar.xz
tarball=${KIROCONV_WXMSW_TARBALL:-}
if [ -z "$tarball" ]; then
    for candidate in "$here/../shared/wxmsw/$name" "/work/shared/wxmsw/$name"; do
        if [ -f "$candidate" ]; then
            tarball=$candidate
            break
        fi
    done
fi
if [ -z "$tarball" ] || [ ! -f "$tarball" ]; then
    echo "windows-toolkit.sh: no $name found; set KIROCONV_WXMSW_TARBALL to its path" >&2
    exit 1
fi

# A new tarball gets a folder of its own, so that a build never mixes two of them.
digest=$(sha256sum "$tarball" | cut -c1-16)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/kiroconv/wxmsw-$digest
if [ ! -d "$cache/wxmsw/lib/wx/config" ]; then
    mkdir -p "$(dirname "$cache")"
    staging=$(mktemp -d "$cache.XXXXXX")
    trap 'rm -rf "$staging"' EXIT
    tar -xJf "$tarball" -C "$staging"
    rm -rf "$cache"
    mv "$staging" "$cache"
    trap - EXIT
fi
echo "$cache/wxmsw"
