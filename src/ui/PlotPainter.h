#pragma once

#include "plot/PlotLayout.h"

class wxGraphicsContext;
class wxFont;

namespace kiro {

// Draws the engine's plot layout, antialiased, the same picture Cairo draws into files.
// `font` is the one the layout's text metrics were taken from.
void PaintPlot(wxGraphicsContext& gc, const PlotLayout& layout, const wxFont& font);

}  // namespace kiro
