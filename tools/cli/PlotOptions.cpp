#include <CLI/CLI.hpp>

#include "cli/PlotCommand.h"

namespace kiro::cli {

CLI::App* AddPlotCommand(CLI::App& app, PlotOptions& options) {
#ifdef _WIN32
    constexpr const char* kDescription =
        "Draw device spectrum files into a picture (not available on Windows yet)";
#else
    constexpr const char* kDescription =
        "Draw device spectrum files (up to 8 overlaid) into an SVG or PNG picture";
#endif
    CLI::App* command = app.add_subcommand("plot", kDescription);
    command->add_option("FILE", options.paths, "Device spectrum files on this PC")->required();
    command->add_option("-o,--output", options.output, "The picture to write: OUT.svg or OUT.png")
        ->required();
    command->add_option("--size", options.size, "Picture size WIDTHxHEIGHT in pixels")
        ->capture_default_str();
    return command;
}

}  // namespace kiro::cli
