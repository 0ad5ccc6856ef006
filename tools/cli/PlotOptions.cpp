#include <CLI/CLI.hpp>

#include "cli/PlotCommand.h"

namespace kiro::cli {

CLI::App* AddPlotCommand(CLI::App& app, PlotOptions& options) {
    CLI::App* command = app.add_subcommand(
        "plot", "Draw spectrum files (up to 8 overlaid) into an SVG or PNG picture");
    command
        ->add_option("FILE", options.paths,
                     "Spectrum files on this PC: the handheld's, or converted ones")
        ->required();
    command->add_option("-o,--output", options.output, "The picture to write: OUT.svg or OUT.png")
        ->required();
    command->add_option("--size", options.size, "Picture size WIDTHxHEIGHT in pixels")
        ->capture_default_str();
    command->footer(
        "Draws what the window's preview shows: one spectrum with its caption, or up to\n"
        "eight overlaid with a legend (more are named but not drawn). The picture is SVG or\n"
        "PNG as the output's extension says, each side 100 to 8192 pixels; both are written\n"
        "on Windows and Linux alike. The SVG holds its texts as text; the PNG's pixels (font,\n"
        "smoothing) differ a little between the two systems, never its layout.\n"
        "Reads the handheld's spectrum files (*_ks) and every file convert writes: KiroBench,\n"
        "SPC and JCAMP-DX files, known by their headers, and tab- or comma-delimited text,\n"
        "whose unit its name gives (.scope, .dark, .reference: counts; .absorbance;\n"
        ".transmission; also after .Master).\n"
        "Spectra of one unit share the y axis. With two units the first file's unit has the\n"
        "left axis and the other unit the right one, whose curves are dashed; the legend\n"
        "says which files belong to which side. More than two units are refused, naming them.\n"
        "Below 200 pixels on its shorter side the picture shows only the curves and their\n"
        "frame, as a thumbnail.\n"
        "Exit status: 0 when every file was drawn; 1 when any was not (unreadable, not a\n"
        "spectrum, or beyond the eighth: each is named with its reason), when the files hold\n"
        "more than two units or when the picture could not be written; 2 for a usage error\n"
        "(a wrong size or extension).\n\n"
        "Examples:\n"
        "  kiroconv-cli plot lamp.scope_ks -o lamp.png\n"
        "  kiroconv-cli plot lamp.scope_ks dark.dark_ks -o overlay.svg --size 1200x600\n"
        "  kiroconv-cli plot lamp.scope_ks dye-mix.absorbance_ks -o two-axes.png\n"
        "  kiroconv-cli plot lamp.scope_ks lamp.scope.jdx -o compare.png");
    return command;
}

}  // namespace kiro::cli
