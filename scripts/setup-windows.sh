#!/usr/bin/env bash
# Installs what the Windows cross-build and its tests need: the mingw-w64 compiler with
# POSIX threads (std::thread needs them) and wine to run the results. Safe to run again.
set -euo pipefail

packages=(g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64 zip)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
fi
