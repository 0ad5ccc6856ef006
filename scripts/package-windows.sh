#!/usr/bin/env bash
# Cross-builds the Windows programs and writes, into build-windows/ (or the folder given as
# $1), the installer kiroconv-VERSION-win64-setup.exe and the zip kiroconv-VERSION-win64.zip
# of the same files: kiroconv.exe and kiroconv-cli.exe (stripped), our licence, the
# licences of what is linked into them, and a short README. The tests' stand-in remote API
# library is in neither.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build-windows}
scripts/build-windows.sh "$build_dir"

version=$(sed -n 's/^project(KiroConv VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name=kiroconv-$version-win64
rm -rf "$build_dir/package"
cmake --install "$build_dir" --prefix "$build_dir/package/$name" --strip >/dev/null
rm -f "$build_dir/$name.zip"
(cd "$build_dir/package" && zip -q -r -X "../$name.zip" "$name")
(cd "$build_dir" && cpack -G NSIS >/dev/null)
echo "$build_dir/$name.zip"
echo "$build_dir/$name-setup.exe"
