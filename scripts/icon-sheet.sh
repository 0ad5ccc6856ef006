#!/usr/bin/env bash
# Renders every icon in src/res/icons at 1x and 2x into one contact sheet,
# build/screenshots/icons.png, to judge the pictures at the sizes users see.
#
# The program draws SVG through wxWidgets' built-in renderer, which supports
# less than librsvg, so the sheet is rendered the same way by a tiny helper
# built on the fly against the installed wxWidgets. Without wx-config it falls
# back to rsvg-convert (then a picture may look better here than in the program).
#
# Usage: scripts/icon-sheet.sh [--zoom N] [--rsvg]
#   --zoom N  also write icons-zoomN.png, the sheet magnified N times without smoothing
#   --rsvg    render with rsvg-convert even when wxWidgets is available
set -euo pipefail
cd "$(dirname "$0")/.."

zoom=""
renderer=wx
while [[ $# -gt 0 ]]; do
    case "$1" in
        --zoom) zoom="$2"; shift 2 ;;
        --rsvg) renderer=rsvg; shift ;;
        *) echo "usage: $0 [--zoom N] [--rsvg]" >&2; exit 2 ;;
    esac
done

icons=src/res/icons
out=build/screenshots
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

command -v montage >/dev/null || { echo "needs ImageMagick (montage)" >&2; exit 1; }
if [[ $renderer == wx ]] && ! command -v wx-config >/dev/null; then
    echo "wx-config not found; rendering with rsvg-convert instead" >&2
    renderer=rsvg
fi

if [[ $renderer == wx ]]; then
    cat >"$work/render.cpp" <<'EOF'
// render SIZE OUT.png IN.svg: rasterises one SVG the way the program does.
#include <wx/bmpbndl.h>
#include <wx/image.h>
#include <wx/init.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    wxInitializer init(argc, argv);
    if (!init.IsOk()) return 1;
    wxInitAllImageHandlers();
    const int px = std::atoi(argv[1]);
    const wxBitmapBundle bundle = wxBitmapBundle::FromSVGFile(argv[3], wxSize(px, px));
    if (!bundle.IsOk()) {
        std::fprintf(stderr, "cannot render %s\n", argv[3]);
        return 1;
    }
    const wxImage image = bundle.GetBitmap(wxSize(px, px)).ConvertToImage();
    return image.SaveFile(argv[2], wxBITMAP_TYPE_PNG) ? 0 : 1;
}
EOF
    # shellcheck disable=SC2046
    g++ -std=c++20 -O1 "$work/render.cpp" -o "$work/render" $(wx-config --cxxflags --libs core,base)
    render() { "$work/render" "$1" "$2" "$3"; }
else
    command -v rsvg-convert >/dev/null || { echo "needs rsvg-convert (librsvg2-bin)" >&2; exit 1; }
    render() { rsvg-convert -w "$1" -h "$1" -o "$2" "$3"; }
fi

# Natural size of an icon: the width its file declares (16, 32 or 48).
natural_size() { sed -n 's/.*<svg[^>]* width="\([0-9]*\)".*/\1/p' "$1" | head -n 1; }

# The list pictures pair up (16 px design next to its 32 px one); the rest follow.
ordered=()
for small in "$icons"/list16_*.svg; do
    ordered+=("$small")
    large="$icons/list32_${small##*/list16_}"
    [[ -f $large ]] && ordered+=("$large")
done
for svg in "$icons"/*.svg; do
    [[ $svg == */list16_* || $svg == */list32_* ]] || ordered+=("$svg")
done

tiles=()
for svg in "${ordered[@]}"; do
    name=$(basename "$svg" .svg)
    size=$(natural_size "$svg")
    render "$size" "$work/$name-1x.png" "$svg"
    render $((size * 2)) "$work/$name-2x.png" "$svg"
    # 1x and 2x side by side, centred in a fixed cell with the name below
    convert -background white "$work/$name-1x.png" \( -size 8x1 xc:white \) \
        "$work/$name-2x.png" -gravity south +append -gravity center -extent 156x100 \
        \( -size 156x16 -background white -fill '#2e3436' -pointsize 11 -gravity center \
        "label:$name" \) -append "$work/$name.png"
    tiles+=("$work/$name.png")
done

montage -background '#d3d7cf' "${tiles[@]}" -tile 8x -geometry '+1+1' "$out/icons.png"
echo "wrote $out/icons.png (${#tiles[@]} icons, renderer: $renderer)"

if [[ -n $zoom ]]; then
    convert "$out/icons.png" -filter point -resize "$((zoom * 100))%" "$out/icons-zoom$zoom.png"
    echo "wrote $out/icons-zoom$zoom.png"
fi
