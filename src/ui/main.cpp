#include <cstdio>
#include <string_view>

#include "platform/ProgramVersion.h"
#include "ui/KiroConvApp.h"

wxIMPLEMENT_APP_NO_MAIN(kiro::CKiroConvApp);

namespace {

constexpr const char* kUsage =
    "Usage: kiroconv [FILE...] | --help | --version\n"
    "\n"
    "KiroConv's window: gets spectra off the Kiro-SCAN handheld and converts them into\n"
    "tab- or comma-delimited text, KiroBench text data files, SPC and JCAMP-DX files.\n"
    "Spectrum files named on the command line are shown in the preview.\n"
    "\n"
    "  -h, --help     show this text and exit\n"
    "  --version      show the version and the licence and exit\n"
    "\n"
    "The same work from a terminal: kiroconv-cli. The manual: man kiroconv\n";

// Answers --help and --version before the toolkit starts, so that they work without a
// display. Anything else is the toolkit's to parse.
bool AnsweredWithoutWindow(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view word = argv[i];
        if (word == "--version") {
            std::puts(kiro::VersionText("kiroconv").c_str());
            return true;
        }
        if (word == "--help" || word == "-h") {
            std::fputs(kUsage, stdout);
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (AnsweredWithoutWindow(argc, argv)) {
        return 0;
    }
    return wxEntry(argc, argv);
}
