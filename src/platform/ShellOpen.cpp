#include "platform/ShellOpen.h"

#include <windows.h>

// After windows.h, which it needs.
#include <shellapi.h>

#include "platform/Utf16.h"

namespace kiro {

namespace {

std::wstring Wide(const std::string& text) {
    const std::u16string units = Utf8ToUtf16(text).value_or(u"");
    return std::wstring(units.begin(), units.end());
}

}  // namespace

bool ShellOpenProgram(const std::string& program, const std::string& parameters,
                      void* ownerWindow) {
    const std::wstring file = Wide(program);
    const std::wstring arguments = Wide(parameters);
    // Results above 32 mean success.
    const auto result = reinterpret_cast<INT_PTR>(
        ::ShellExecuteW(static_cast<HWND>(ownerWindow), L"open", file.c_str(), arguments.c_str(),
                        nullptr, SW_SHOWNORMAL));
    return result > 32;
}

}  // namespace kiro
