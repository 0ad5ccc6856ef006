#pragma once

#include <optional>
#include <string>

#include "plot/PlotLayout.h"

namespace kiro {

// The engine's plot layout drawn with Cairo, into an SVG or a PNG file. The one place
// that includes Cairo; the command line and the window's Save commands share it.
enum class PlotFileFormat { Svg, Png };

// The format a file name asks for by its extension (".svg" or ".png", any case).
std::optional<PlotFileFormat> PlotFileFormatOf(const std::string& path);

// The file's bytes; empty when Cairo failed.
std::string RenderPlot(const PlotLayout& layout, PlotFileFormat format);

// Renders and writes the file atomically. "" when written, otherwise the reason.
std::string WritePlotFile(const PlotLayout& layout, const std::string& path, PlotFileFormat format);

}  // namespace kiro
