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
    command->footer(
        "Draws what the window's preview shows: one spectrum with its caption, or up to\n"
        "eight overlaid with a legend (more are named but not drawn). The picture is SVG or\n"
        "PNG as the output's extension says, each side 100 to 8192 pixels.\n"
        "Exit status: 0 when every file was drawn, 1 when any was not (not a spectrum,\n"
        "unreadable, or beyond the eighth) or the picture could not be written, 2 for a\n"
        "usage error (a wrong size or extension).\n\n"
        "Examples:\n"
        "  kiroconv-cli plot lamp.scope_ks -o lamp.png\n"
        "  kiroconv-cli plot lamp.scope_ks dark.dark_ks -o overlay.svg --size 1200x600");
    return command;
}

}  // namespace kiro::cli
