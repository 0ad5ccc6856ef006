#include <CLI/CLI.hpp>
#include <clocale>
#include <cstdio>

#include "cli/ConvertCommand.h"
#include "cli/DeviceCommands.h"
#include "cli/PlotCommand.h"
#include "cli/TransferCommand.h"

namespace {

constexpr int kUsageError = 2;

}  // namespace

int main(int argc, char** argv) {
    // Output never depends on the user's locale; keep the "C" locale for numbers.
    std::setlocale(LC_ALL, "C");
    CLI::App app{"KiroConv command line: convert Kiro-SCAN spectra and work with the handheld",
                 "kiroconv-cli"};
    app.require_subcommand(1);
    kiro::cli::ConvertOptions convertOptions;
    CLI::App* convert = kiro::cli::AddConvertCommand(app, convertOptions);
    kiro::cli::DeviceOptions deviceOptions;
    const kiro::cli::DeviceCommands device = kiro::cli::AddDeviceCommands(app, deviceOptions);
    kiro::cli::TransferOptions transferOptions;
    CLI::App* transfer = kiro::cli::AddTransferCommand(app, transferOptions);
    kiro::cli::PlotOptions plotOptions;
    CLI::App* plot = kiro::cli::AddPlotCommand(app, plotOptions);
    app.footer(
        "The handheld commands reach kiroscan-sim at $KIROSCAN_SOCKET (or the per-user\n"
        "default path). Handheld folders may be written with / or \\.");
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return kUsageError;
    }
    if (convert->parsed()) {
        return kiro::cli::RunConvert(convertOptions);
    }
    if (plot->parsed()) {
        return kiro::cli::RunPlot(plotOptions);
    }
    if (transfer->parsed()) {
        return kiro::cli::RunTransfer(transferOptions);
    }
    if (device.ls->parsed()) {
        return kiro::cli::RunList(deviceOptions);
    }
    if (device.tree->parsed()) {
        return kiro::cli::RunTree(deviceOptions);
    }
    if (device.get->parsed()) {
        return kiro::cli::RunGet(deviceOptions);
    }
    if (device.rm->parsed()) {
        return kiro::cli::RunRemove(deviceOptions);
    }
    if (device.mkdir->parsed()) {
        return kiro::cli::RunMakeDirectory(deviceOptions);
    }
    return kUsageError;
}
