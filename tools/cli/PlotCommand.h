#pragma once

#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace kiro::cli {

struct PlotOptions {
    std::vector<std::string> paths;
    std::string output;
    std::string size = "800x500";
};

// Registers "plot" on the application; the options are filled on parsing.
CLI::App* AddPlotCommand(CLI::App& app, PlotOptions& options);

// Draws the spectra into the SVG or PNG file; returns the exit status.
int RunPlot(const PlotOptions& options);

}  // namespace kiro::cli
