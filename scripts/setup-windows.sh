#!/usr/bin/env bash
# Installs what the Windows cross-build and its tests need: CMake, the mingw-w64 compiler
# with POSIX threads (std::thread needs them) and its zlib, the header-only and source-only
# libraries the build takes from Debian (CLI11, GoogleTest), rsvg-convert and icotool for
# the program's icon, NSIS for the installer, wine to run the results, a virtual display
# with a window manager for the window's tests and photographs, and zip and unzip to write
# the package and check it. Then unpacks the prebuilt wxWidgets for Windows into its
# cache. Safe to run again.
set -euo pipefail

packages=(cmake make g++-mingw-w64-x86-64-posix mingw-w64-tools libz-mingw-w64-dev
          libcli11-dev googletest librsvg2-bin icoutils nsis
          wine wine64 xvfb xauth openbox imagemagick zip unzip)

"$(dirname "$0")/install-packages.sh" "${packages[@]}"
"$(dirname "$0")/windows-toolkit.sh" >/dev/null
