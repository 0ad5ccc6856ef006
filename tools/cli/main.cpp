#include <CLI/CLI.hpp>
#include <clocale>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "cli/ConvertCommand.h"
#include "cli/DeviceCommands.h"
#include "cli/InfoCommand.h"
#include "cli/PlotCommand.h"
#include "cli/TransferCommand.h"
#include "cli/UsageError.h"
#include "platform/DisplayText.h"
#include "platform/ProgramVersion.h"
#include "platform/Terminal.h"

namespace {

constexpr int kUsageError = 2;

#ifdef _WIN32
constexpr const char* kHelpFooter =
    "The handheld commands reach the Kiro-SCAN through the remote API library (rapi.dll)\n"
    "of its device-sync software. Handheld folders may be written with / or \\.\n\n"
    "The licence: LICENSE.txt beside this program.";
#else
constexpr const char* kHelpFooter =
    "The handheld commands reach kiroscan-sim at $KIROSCAN_SOCKET (or the per-user\n"
    "default path). Handheld folders may be written with / or \\.\n\n"
    "The manual: man kiroconv-cli";
#endif

// The first word that is not an option names the subcommand (the program itself has
// only options without values). Empty when it names one, else that word.
std::string UnknownSubcommand(const CLI::App& app, int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view word = argv[i];
        if (word.empty() || word.front() != '-') {
            const auto named = [word](const CLI::App* command) {
                return command->check_name(std::string(word));
            };
            return app.get_subcommands(named).empty() ? std::string(word) : "";
        }
    }
    return "";
}

int ReportUnknownSubcommand(const CLI::App& app, const std::string& word) {
    std::string names;
    const auto all = [](const CLI::App*) { return true; };
    for (const CLI::App* command : app.get_subcommands(all)) {
        names += (names.empty() ? "" : ", ") + command->get_name();
    }
    std::fprintf(stderr,
                 "kiroconv-cli: \"%s\" is not a subcommand; the subcommands are %s.\n"
                 "Run \"kiroconv-cli --help\" for more.\n",
                 kiro::EscapeControlCharacters(word).c_str(), names.c_str());
    return kUsageError;
}

}  // namespace

int main(int systemArgc, char** systemArgv) {
    // Output never depends on the user's locale; keep the "C" locale for numbers.
    std::setlocale(LC_ALL, "C");
    kiro::PrepareStandardStreams();
    std::vector<std::string> arguments = kiro::Utf8Arguments(systemArgc, systemArgv);
    std::vector<char*> pointers;
    for (std::string& argument : arguments) {
        pointers.push_back(argument.data());
    }
    const int argc = static_cast<int>(pointers.size());
    char** argv = pointers.data();
    CLI::App app{"KiroConv command line: convert Kiro-SCAN spectra and work with the handheld",
                 "kiroconv-cli"};
    // "/My Documents" is a handheld folder, never an option.
    app.allow_windows_style_options(false);
    // Set before the subcommands are added, which take it over.
    app.failure_message(kiro::cli::EscapedFailureMessage);
    app.require_subcommand(1);
    app.set_version_flag("--version", kiro::VersionText("kiroconv-cli"));
    kiro::cli::ConvertOptions convertOptions;
    CLI::App* convert = kiro::cli::AddConvertCommand(app, convertOptions);
    kiro::cli::InfoOptions infoOptions;
    CLI::App* info = kiro::cli::AddInfoCommand(app, infoOptions);
    kiro::cli::DeviceOptions deviceOptions;
    const kiro::cli::DeviceCommands device = kiro::cli::AddDeviceCommands(app, deviceOptions);
    kiro::cli::TransferOptions transferOptions;
    CLI::App* transfer = kiro::cli::AddTransferCommand(app, transferOptions);
    kiro::cli::PlotOptions plotOptions;
    CLI::App* plot = kiro::cli::AddPlotCommand(app, plotOptions);
    app.footer(kHelpFooter);
    if (const std::string word = UnknownSubcommand(app, argc, argv); !word.empty()) {
        return ReportUnknownSubcommand(app, word);
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return kUsageError;
    }
    if (convert->parsed()) {
        return kiro::cli::RunConvert(convertOptions);
    }
    if (info->parsed()) {
        return kiro::cli::RunInfo(infoOptions);
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
