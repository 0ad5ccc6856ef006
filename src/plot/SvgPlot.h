#pragma once

#include <string>
#include <string_view>

#include "plot/PlotLayout.h"

namespace kiro {

// The plot layout as an SVG document: the same frame, grid, curves, texts and legend as
// the PNG, the texts as real text that a reader can select and search, and the curves as
// polylines. Lines end in CR LF and numbers use "." whatever the locale, so one layout
// gives the same bytes on every system.
std::string PlotSvg(const PlotLayout& layout);

// A text as XML character data: markup characters as entities; control characters,
// bytes that are not UTF-8 and the two characters XML forbids (U+FFFE, U+FFFF) escaped
// as the log shows them ("\x1B", "\xFF", "\uFFFE"), so that any name gives a well-formed
// document.
std::string XmlText(std::string_view text);

}  // namespace kiro
