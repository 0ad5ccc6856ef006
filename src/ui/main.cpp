#include <wx/utils.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/ProgramVersion.h"
#include "platform/Terminal.h"
#include "ui/KiroConvApp.h"
#include "ui/WxText.h"

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
#ifdef __WXMSW__
    "The handheld is reached through the remote API library (rapi.dll) of its\n"
    "device-sync software. The same work from a command prompt: kiroconv-cli.exe,\n"
    "beside this program. The manual: Help > Help Topics in the window.\n";
#else
    "The same work from a terminal: kiroconv-cli. The manual: man kiroconv\n";
#endif

// Answers --help and --version before the toolkit starts, so that they work without a
// display; a window program started from the desktop shows them in a box. Anything else
// is the toolkit's to parse.
bool AnsweredWithoutWindow(const std::vector<std::string>& arguments) {
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string_view word = arguments[i];
        const bool version = word == "--version";
        if (!version && word != "--help" && word != "-h") {
            continue;
        }
        const std::string text = version ? kiro::VersionText("kiroconv") + "\n" : kUsage;
        if (!kiro::WriteToStartingConsole(text)) {
            wxSafeShowMessage("KiroConv", kiro::ToWx(text));
        }
        return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    // Read wide on Windows, so that any file name reaches the window as it is.
    const std::vector<std::string> arguments = kiro::Utf8Arguments(argc, argv);
    if (AnsweredWithoutWindow(arguments)) {
        return 0;
    }
#ifdef __WXMSW__
    std::vector<std::wstring> wide;
    for (const std::string& argument : arguments) {
        wide.push_back(kiro::ToWx(argument).ToStdWstring());
    }
    std::vector<wchar_t*> pointers;
    for (std::wstring& argument : wide) {
        pointers.push_back(argument.data());
    }
    pointers.push_back(nullptr);
    int count = static_cast<int>(wide.size());
    return wxEntry(count, pointers.data());
#else
    return wxEntry(argc, argv);
#endif
}
