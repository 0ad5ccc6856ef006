#pragma once

#include <string>

#include "plot/PlotLayout.h"

namespace kiro {

// The layout drawn into the bytes of a PNG file, of the layout's size; empty when it could
// not be drawn. Defined by the drawing library the program links: Cairo on Linux
// (render/CairoPng.cpp), the toolkit's own image code on Windows (ui/WxPngPlot.cpp), where
// Cairo is not to be had. Pictures may differ in their pixels between the two, never in
// their layout.
std::string RenderPlotPng(const PlotLayout& layout);

}  // namespace kiro
