#include "render/CairoPlot.h"

// Pictures are drawn with Cairo, which this build does not have: the preview still draws
// the layout on screen, but no SVG or PNG file can be written.
namespace kiro {

std::string WritePlotFile(const PlotLayout&, const std::string&, PlotFileFormat) {
    return "the Windows build cannot write pictures yet";
}

}  // namespace kiro
