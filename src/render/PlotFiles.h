#pragma once

#include <optional>
#include <string>

#include "plot/PlotLayout.h"

namespace kiro {

// The engine's plot layout written as a picture file: SVG by the engine's own writer on
// every system, PNG by the drawing library of the system (render/PngPlot.h). The command
// line's plot and the window's Save commands share it.
enum class PlotFileFormat { Svg, Png };

// The format a file name asks for by its extension (".svg" or ".png", any case).
std::optional<PlotFileFormat> PlotFileFormatOf(const std::string& path);

// The file's bytes; empty when the picture could not be drawn.
std::string RenderPlot(const PlotLayout& layout, PlotFileFormat format);

// Renders and writes the file atomically. "" when written, otherwise the reason.
std::string WritePlotFile(const PlotLayout& layout, const std::string& path, PlotFileFormat format);

}  // namespace kiro
