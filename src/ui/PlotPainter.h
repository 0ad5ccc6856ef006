#pragma once

#include "plot/PlotLayout.h"

class wxDC;
class wxFont;

namespace kiro {

// Draws the engine's plot layout on `dc`, shapes antialiased, the same picture the PNG and
// SVG files show; on Windows it draws their PNG too. `font` is the one the layout's text
// metrics were taken from.
void PaintPlot(wxDC& dc, const PlotLayout& layout, const wxFont& font);

}  // namespace kiro
