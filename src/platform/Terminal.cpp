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

namespace {

bool WriteAll(HANDLE handle, const std::string& text) {
    DWORD written = 0;
    return ::WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

}  // namespace

bool WriteToStartingConsole(const std::string& text) {
    // A window program has standard handles only when they were handed to it.
    const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (output != nullptr && output != INVALID_HANDLE_VALUE &&
        ::GetFileType(output) != FILE_TYPE_UNKNOWN) {
        return WriteAll(output, text);
    }
    if (!::AttachConsole(ATTACH_PARENT_PROCESS)) {
        return false;
    }
    const HANDLE console = ::CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, 0, nullptr);
    bool shown = false;
    if (console != INVALID_HANDLE_VALUE) {
        const std::u16string wide = Utf8ToUtf16(text).value_or(u"");
        DWORD written = 0;
        // The prompt came back when the program started: begin on a line of its own.
        shown = ::WriteConsoleW(console, L"\r\n", 2, &written, nullptr) &&
                ::WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written,
                                nullptr);
        ::CloseHandle(console);
    }
    ::FreeConsole();
    return shown;
}

#else

void PrepareStandardStreams() {}

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    return {argv, argv + argc};
}

bool IsTerminal(std::FILE* stream) {
    return ::isatty(::fileno(stream)) == 1;
}

bool WriteToStartingConsole(const std::string& text) {
    return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() &&
           std::fflush(stdout) == 0;
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
