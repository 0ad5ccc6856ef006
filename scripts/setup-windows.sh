#!/usr/bin/env bash
# Installs what the Windows cross-build and its tests need: the mingw-w64 compiler with
# POSIX threads (std::thread needs them) and wine to run the results. Safe to run again.
set -euo pipefail

packages=(g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64 zip)

"$(dirname "$0")/install-packages.sh" "${packages[@]}"
