#include "cli/PlotCommand.h"

#include <cstdio>

#include "platform/DisplayText.h"
#include "plot/PlotContent.h"
#include "render/PlotFiles.h"

namespace kiro::cli {

namespace {

constexpr int kLargestSide = 8192;

// "WIDTHxHEIGHT", each side 100 to 8192 pixels.
bool ParseSize(const std::string& text, int& width, int& height) {
    char separator = 0;
    char rest = 0;
    return std::sscanf(text.c_str(), "%d%c%d%c", &width, &separator, &height, &rest) == 3 &&
           (separator == 'x' || separator == 'X') && width >= 100 && height >= 100 &&
           width <= kLargestSide && height <= kLargestSide;
}

}  // namespace

int RunPlot(const PlotOptions& options) {
    int width = 0;
    int height = 0;
    if (!ParseSize(options.size, width, height)) {
        std::fprintf(stderr, "plot: --size must be WIDTHxHEIGHT, each 100 to %d pixels\n",
                     kLargestSide);
        return 2;
    }
    const std::optional<PlotFileFormat> format = PlotFileFormatOf(options.output);
    if (!format) {
        std::fprintf(stderr, "plot: the output must end in .svg or .png\n");
        return 2;
    }
    std::vector<PlotSource> sources;
    for (std::size_t i = 0; i < options.paths.size() && i < kMaxOverlaidSpectra; ++i) {
        sources.push_back(PlotSourceFromFile(options.paths[i]));
        if (!sources.back().spectrum) {
            std::printf("not plotted: %s\n",
                        EscapeControlCharacters(sources.back().reason).c_str());
        }
    }
    if (options.paths.size() > kMaxOverlaidSpectra) {
        std::printf("only the first %zu files are plotted\n", kMaxOverlaidSpectra);
    }
    // Two units share a picture on a left and a right axis; more would need a third.
    if (const std::string refusal = UnitsRefusal(sources); !refusal.empty()) {
        std::fprintf(stderr, "plot: %s Nothing was drawn.\n",
                     EscapeControlCharacters(refusal).c_str());
        return 1;
    }
    PlotContent content = SpectrumPlotContent(sources, options.paths.size());
    if (!content.plot) {
        std::fprintf(stderr, "plot: nothing to draw\n");
        return 1;
    }
    content.plot->width = width;
    content.plot->height = height;
    const std::string failure = WritePlotFile(LayOutPlot(*content.plot), options.output, *format);
    const std::string output = EscapeControlCharacters(options.output);
    if (!failure.empty()) {
        std::fprintf(stderr, "plot: cannot write %s: %s\n", output.c_str(), failure.c_str());
        return 1;
    }
    const std::size_t plotted = content.plot->traces.size();
    std::printf("plotted %zu %s -> %s\n", plotted, plotted == 1 ? "spectrum" : "spectra",
                output.c_str());
    const bool allPlotted = content.plot->traces.size() == options.paths.size();
    return allPlotted ? 0 : 1;
}

}  // namespace kiro::cli
