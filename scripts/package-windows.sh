#!/usr/bin/env bash
# Cross-builds kiroconv-cli.exe and writes build-windows/kiroconv-cli-VERSION-win64.zip (or
# into the folder given as $1): the program, our licence, the licences of what is linked
# into it (CLI11, the GCC runtime, the mingw-w64 runtime) and a short README. The tests'
# stand-in remote API library is never packaged.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build-windows}
scripts/build-windows.sh "$build_dir"

version=$(sed -n 's/^project(KiroConv VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name=kiroconv-cli-$version-win64
stage=$build_dir/package/$name
rm -rf "$build_dir/package"
mkdir -p "$stage/licenses"

# Windows readers expect CR LF.
as_windows_text() { sed 's/\r$//; s/$/\r/' "$1" >"$2"; }

x86_64-w64-mingw32-strip -o "$stage/kiroconv-cli.exe" "$build_dir/tools/kiroconv-cli.exe"
as_windows_text packaging/windows/README.txt "$stage/README.txt"
as_windows_text LICENSE "$stage/LICENSE.txt"
as_windows_text /usr/share/doc/libcli11-dev/copyright "$stage/licenses/CLI11.txt"
as_windows_text /usr/share/doc/gcc-mingw-w64-base/copyright "$stage/licenses/gcc-runtime.txt"
as_windows_text /usr/share/doc/mingw-w64-x86-64-dev/copyright "$stage/licenses/mingw-w64-runtime.txt"

rm -f "$build_dir/$name.zip"
(cd "$build_dir/package" && zip -q -r -X "../$name.zip" "$name")
echo "$build_dir/$name.zip"
