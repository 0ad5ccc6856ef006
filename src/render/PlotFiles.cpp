#include "render/PlotFiles.h"

#include <algorithm>
#include <cctype>
#include <cerrno>

#include "platform/AtomicFile.h"
#include "platform/SystemError.h"
#include "plot/SvgPlot.h"
#include "render/PngPlot.h"

namespace kiro {

std::optional<PlotFileFormat> PlotFileFormatOf(const std::string& path) {
    // Read from the text itself: the name may hold any bytes, which a path object would
    // pass through the system's code page on Windows.
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find_first_of("/\\", dot) != std::string::npos) {
        return std::nullopt;
    }
    std::string extension = path.substr(dot);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".svg") {
        return PlotFileFormat::Svg;
    }
    if (extension == ".png") {
        return PlotFileFormat::Png;
    }
    return std::nullopt;
}

std::string RenderPlot(const PlotLayout& layout, PlotFileFormat format) {
    return format == PlotFileFormat::Svg ? PlotSvg(layout) : RenderPlotPng(layout);
}

std::string WritePlotFile(const PlotLayout& layout, const std::string& path,
                          PlotFileFormat format) {
    const std::string bytes = RenderPlot(layout, format);
    if (bytes.empty()) {
        return "the picture could not be drawn";
    }
    if (WriteFileAtomically(path, bytes) != AtomicWriteResult::Written) {
        return DescribeSystemError(errno);
    }
    return {};
}

}  // namespace kiro
