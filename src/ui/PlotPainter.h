#pragma once

#include "plot/PlotLayout.h"

class wxGraphicsContext;

namespace kiro {

// Draws the engine's plot layout, antialiased, the same picture Cairo draws into files.
void PaintPlot(wxGraphicsContext& gc, const PlotLayout& layout);

}  // namespace kiro
