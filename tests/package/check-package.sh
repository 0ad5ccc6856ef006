#!/usr/bin/env bash
# Builds the Debian package from a finished build, unpacks it into a temporary root and
# checks what a user's machine gets: the files, the dependencies, programs that run,
# desktop data that validates, man pages that render, completion and thumbnails.
# Usage: check-package.sh BUILD_DIR
set -euo pipefail
build=$(realpath "$1")
work=$(mktemp -d "${TMPDIR:-/tmp}/kiroconv-package-XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack could not build the package"; }
deb=$work/out/kiroconv_1.0.0.1_amd64.deb
[ -f "$deb" ] || fail "no kiroconv_1.0.0.1_amd64.deb: $(ls "$work/out")"
root=$work/root
dpkg-deb -x "$deb" "$root"
usr=$root/usr

for file in bin/kiroconv bin/kiroconv-cli bin/kiroscan-sim \
    share/applications/kiroconv.desktop share/metainfo/org.kiroconv.kiroconv.metainfo.xml \
    share/mime/packages/kiroconv.xml share/thumbnailers/kiroconv.thumbnailer \
    share/icons/hicolor/scalable/apps/kiroconv.svg share/bash-completion/completions/kiroconv-cli \
    share/doc/kiroconv/copyright share/man/man1/kiroconv.1.gz share/man/man1/kiroconv-cli.1.gz \
    share/man/man1/kiroscan-sim.1.gz; do
    [ -s "$usr/$file" ] || fail "the package lacks /usr/$file"
done
for size in 16 24 32 48 64 128 256; do
    file -b "$usr/share/icons/hicolor/${size}x${size}/apps/kiroconv.png" |
        grep -q "^PNG image data, $size x $size," || fail "no ${size}x$size PNG icon"
done

depends=$(dpkg-deb -f "$deb" Depends)
for package in libc6 libstdc++6 libwxgtk3.2 xdg-utils; do
    [[ $depends == *"$package"* ]] || fail "Depends lacks $package: $depends"
done

version=$("$usr/bin/kiroconv-cli" --version)
[[ $version == "kiroconv-cli 1.0.0.1"*"MIT License"* ]] || fail "kiroconv-cli --version: $version"
"$usr/bin/kiroscan-sim" --help | grep -q 'man kiroscan-sim' || fail "kiroscan-sim --help"
# The window program answers without a display.
env -u DISPLAY -u WAYLAND_DISPLAY "$usr/bin/kiroconv" --help | grep -q 'man kiroconv' ||
    fail "kiroconv --help without a display"

desktop-file-validate "$usr/share/applications/kiroconv.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$usr/share/metainfo/org.kiroconv.kiroconv.metainfo.xml" >/dev/null ||
    fail "AppStream metainfo"
xmllint --noout "$usr/share/mime/packages/kiroconv.xml" || fail "MIME package"
for page in "$usr"/share/man/man1/*.1.gz; do
    warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
done

completions=$(bash -c 'source /usr/share/bash-completion/bash_completion
    source "$1"; COMP_WORDS=(kiroconv-cli convert --format ""); COMP_CWORD=3
    _kiroconv_cli; echo "${COMPREPLY[*]}"' - "$usr/share/bash-completion/completions/kiroconv-cli")
[ "$completions" = "tab comma kirobench spc jcamp" ] || fail "completion of --format: $completions"

# The thumbnailer's command line, as a file manager runs it, on a demo spectrum.
export PATH=$usr/bin:$PATH
if ! kiroconv-cli plot --help >/dev/null 2>&1; then
    echo "SKIPPED the thumbnailer's command: this kiroconv-cli has no plot subcommand yet"
    exit 0
fi
kiroscan-sim --demo "$work/demo" --fill-only
spectra=("$work/demo/My Documents"/*.absorbance_ks)
thumbnail=$work/thumbnail.png
read -r -a command < <(sed -n 's/^Exec=//p' "$usr/share/thumbnailers/kiroconv.thumbnailer")
for i in "${!command[@]}"; do
    word=${command[i]//%i/${spectra[0]}}
    word=${word//%o/$thumbnail}
    command[i]=${word//%s/128}
done
"${command[@]}" || fail "the thumbnailer's command: ${command[*]}"
file -b "$thumbnail" | grep -q '^PNG image data, 128 x 128,' || fail "thumbnail: $(file -b "$thumbnail")"
