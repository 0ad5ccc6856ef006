#!/usr/bin/env bash
# Installs what the Windows cross-build and its tests need: CMake, the mingw-w64 compiler
# with POSIX threads (std::thread needs them), the header-only and source-only libraries
# the build takes from Debian (CLI11, GoogleTest), wine to run the results, and zip and
# unzip to write the package and check it. Safe to run again.
set -euo pipefail

packages=(cmake make g++-mingw-w64-x86-64-posix mingw-w64-tools libcli11-dev googletest
          wine wine64 zip unzip)

"$(dirname "$0")/install-packages.sh" "${packages[@]}"
