#include "platform/Terminal.h"

#include <csignal>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

// After windows.h, which it needs.
#include <shellapi.h>

#include "platform/Utf16.h"
#else
#include <signal.h>
#include <unistd.h>
#endif

namespace kiro {

#ifdef _WIN32

void PrepareStandardStreams() {
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
    ::_setmode(::_fileno(stdin), _O_BINARY);
    ::SetConsoleOutputCP(CP_UTF8);
}

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide == nullptr) {
        return {argv, argv + argc};
    }
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) {
        const std::wstring_view word(wide[i]);
        arguments.push_back(Utf16ToUtf8Lossy(std::u16string(word.begin(), word.end())));
    }
    ::LocalFree(wide);
    return arguments;
}

bool IsTerminal(std::FILE* stream) {
    return ::_isatty(::_fileno(stream)) != 0;
}

void CatchInterrupt(void (*handler)(int)) {
    std::signal(SIGINT, handler);
}

#else

void PrepareStandardStreams() {}

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    return {argv, argv + argc};
}

bool IsTerminal(std::FILE* stream) {
    return ::isatty(::fileno(stream)) == 1;
}

void CatchInterrupt(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
}

#endif

void RestoreInterrupt() {
    std::signal(SIGINT, SIG_DFL);
}

}  // namespace kiro
