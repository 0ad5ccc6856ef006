#!/usr/bin/env bash
# Builds the Debian packages from a finished build, unpacks them into a temporary root and
# checks what a user's machine gets: the files of each package, the dependencies, programs
# that run, desktop data that validates, man pages that render, completion and thumbnails.
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
    { cat "$work/cpack.log"; fail "cpack could not build the packages"; }
deb=$work/out/kiroconv_1.0.0.1_amd64.deb
sim_deb=$work/out/kiroscan-sim_1.0.0.1_amd64.deb
[ -f "$deb" ] && [ -f "$sim_deb" ] || fail "not kiroconv_ and kiroscan-sim_1.0.0.1_amd64.deb: $(ls "$work/out")"
# Each package alone, to see what it holds; then both, as a user with the emulator has them.
dpkg-deb -x "$deb" "$work/main"
dpkg-deb -x "$sim_deb" "$work/sim"
root=$work/root
dpkg-deb -x "$deb" "$root"
dpkg-deb -x "$sim_deb" "$root"
usr=$root/usr

for file in bin/kiroconv bin/kiroconv-cli \
    share/applications/kiroconv.desktop share/metainfo/org.kiroconv.kiroconv.metainfo.xml \
    share/mime/packages/kiroconv.xml share/thumbnailers/kiroconv.thumbnailer \
    share/icons/hicolor/scalable/apps/kiroconv.svg share/bash-completion/completions/kiroconv-cli \
    share/doc/kiroconv/copyright share/doc/kiroconv/changelog.gz share/man/man1/kiroconv.1.gz \
    share/man/man1/kiroconv-cli.1.gz; do
    [ -s "$work/main/usr/$file" ] || fail "the kiroconv package lacks /usr/$file"
done
for file in bin/kiroscan-sim share/man/man1/kiroscan-sim.1.gz share/doc/kiroscan-sim/copyright \
    share/doc/kiroscan-sim/changelog.gz; do
    [ -s "$work/sim/usr/$file" ] || fail "the kiroscan-sim package lacks /usr/$file"
    [ ! -e "$work/main/usr/$file" ] || fail "the kiroconv package holds /usr/$file"
done
[ "$(find "$work/sim/usr" -type f | wc -l)" = 4 ] ||
    fail "the kiroscan-sim package holds more: $(find "$work/sim/usr" -type f)"
for size in 16 24 32 48 64 128 256; do
    file -b "$usr/share/icons/hicolor/${size}x${size}/apps/kiroconv.png" |
        grep -q "^PNG image data, $size x $size," || fail "no ${size}x$size PNG icon"
done

depends=$(dpkg-deb -f "$deb" Depends)
for package in libc6 libstdc++6 libwxgtk3.2 xdg-utils; do
    [[ $depends == *"$package"* ]] || fail "Depends lacks $package: $depends"
done
suggests=$(dpkg-deb -f "$deb" Suggests)
[ "$suggests" = "kiroscan-sim (= 1.0.0.1)" ] || fail "kiroconv suggests: $suggests"
sim_depends=$(dpkg-deb -f "$sim_deb" Depends)
[[ $sim_depends == *libc6* && $sim_depends != *wx* ]] || fail "kiroscan-sim depends on: $sim_depends"

# Every description names each output format (as the completion lists them), the plots and
# the thumbnails.
descriptions=(
    "the kiroconv package:$(dpkg-deb -f "$deb" Description)"
    "the desktop entry's keywords:$(sed -n 's/^Keywords=//p' "$usr/share/applications/kiroconv.desktop")"
    "the AppStream description:$(xmllint --xpath '//description' "$usr/share/metainfo/org.kiroconv.kiroconv.metainfo.xml")"
)
formats=$(sed -n 's/^_kiroconv_cli_formats="\(.*\)"$/\1/p' "$usr/share/bash-completion/completions/kiroconv-cli")
[ -n "$formats" ] || fail "no formats in the completion"
for description in "${descriptions[@]}"; do
    for word in $formats plot thumbnail; do
        [[ ${description,,} == *"$word"* ]] || fail "${description%%:*} does not name $word"
    done
done

version=$("$usr/bin/kiroconv-cli" --version)
[[ $version == "kiroconv-cli 1.0.0.1"*"MIT License"* ]] || fail "kiroconv-cli --version: $version"
"$usr/bin/kiroscan-sim" --help | grep -q 'man kiroscan-sim' || fail "kiroscan-sim --help"
# The window program answers without a display.
env -u DISPLAY -u WAYLAND_DISPLAY "$usr/bin/kiroconv" --help | grep -q 'man kiroconv' ||
    fail "kiroconv --help without a display"

# The validators say nothing, not even a hint or a pedantic note.
said=$(desktop-file-validate "$usr/share/applications/kiroconv.desktop" 2>&1) || fail "desktop entry: $said"
[ -z "$said" ] || fail "desktop-file-validate: $said"
said=$(LC_ALL=C appstreamcli validate --pedantic --no-net \
    "$usr/share/metainfo/org.kiroconv.kiroconv.metainfo.xml" 2>&1) || fail "AppStream metainfo: $said"
[[ $said == *"Validation was successful."* && $(wc -l <<<"$said") == 1 ]] ||
    fail "appstreamcli validate: $said"
xmllint --noout "$usr/share/mime/packages/kiroconv.xml" || fail "MIME package"
for page in "$usr"/share/man/man1/*.1.gz; do
    warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
done

# Completes the last word of a kiroconv-cli command line in FOLDER, as bash does on Tab.
complete_in() {
    (cd "$1" && bash -c 'source /usr/share/bash-completion/bash_completion; source "$1"; shift
        COMP_WORDS=(kiroconv-cli "$@"); COMP_CWORD=$#; COMP_LINE="${COMP_WORDS[*]}"
        COMP_POINT=${#COMP_LINE}; _kiroconv_cli; printf "%s\n" "${COMPREPLY[@]}" | sort | xargs' \
        - "$usr/share/bash-completion/completions/kiroconv-cli" "${@:2}")
}
completions=$(complete_in "$work" convert --format "")
[ "$completions" = "comma jcamp kirobench spc tab" ] || fail "completion of --format: $completions"
mkdir -p "$work/complete/pictures"
touch "$work/complete/lamp.scope_ks" "$work/complete/overlay.png" "$work/complete/notes.txt"
# After -o a picture's name is wanted: folders and pictures, not the spectra.
for option in -o --output; do
    completions=$(complete_in "$work/complete" plot lamp.scope_ks "$option" "")
    [ "$completions" = "overlay.png pictures" ] || fail "completion of plot $option: $completions"
done
completions=$(complete_in "$work/complete" plot "")
[ "$completions" = "lamp.scope_ks pictures" ] || fail "completion of plot's files: $completions"

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
