#include <CLI/CLI.hpp>
#include <clocale>
#include <cstdio>

#include "cli/ConvertCommand.h"

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
    return kUsageError;
}
