#include <CLI/CLI.hpp>

#include "cli/PlotCommand.h"

namespace kiro::cli {

CLI::App* AddPlotCommand(CLI::App& app, PlotOptions& options) {
    CLI::App* command = app.add_subcommand(
        "plot", "Draw device spectrum files (up to 8 overlaid) into an SVG or PNG picture");
    command->add_option("FILE", options.paths, "Device spectrum files on this PC")->required();
    command->add_option("-o,--output", options.output, "The picture to write: OUT.svg or OUT.png")
        ->required();
    command->add_option("--size", options.size, "Picture size WIDTHxHEIGHT in pixels")
        ->capture_default_str();
    return command;
}

}  // namespace kiro::cli
