#include "platform/ProgramVersion.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <cstdio>
#include <string>
#include <vector>

#include "KiroConvVersion.h"
#include "platform/Utf16.h"
#include "platform/VersionRecord.h"

namespace kiro {

namespace {

std::string ComposeBuiltInRecord() {
    const std::string table = "\\StringFileInfo\\" + std::string(version::kStringTableName) + "\\";
    std::vector<VersionValue> values;
    char translation[16];
    std::snprintf(translation, sizeof translation, "%04x %04x", version::kLanguage,
                  version::kCodePage);
    values.push_back({"\\VarFileInfo\\Translation", translation});
    for (const version::VersionString& entry : version::kStringTable) {
        values.push_back({table + std::string(entry.key), std::string(entry.value)});
    }
    return MakeVersionRecord(values);
}

}  // namespace

std::string_view BuiltInVersionRecord() {
    static const std::string record = ComposeBuiltInRecord();
    return record;
}

#ifdef _WIN32
namespace {

constexpr std::size_t kMaxVersionText = 255;

std::wstring OwnFileName() {
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) {
            return {};
        }
        if (length < name.size()) {
            name.resize(length);
            return name;
        }
        name.resize(name.size() * 2);  // cut short: a long path
    }
}

}  // namespace

std::string ProgramFileVersion() {
    const std::wstring file = OwnFileName();
    DWORD ignored = 0;
    const DWORD size = file.empty() ? 0 : ::GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0) {
        return {};
    }
    std::vector<unsigned char> record(size);
    void* value = nullptr;
    UINT length = 0;
    const std::wstring query =
        L"\\StringFileInfo\\" +
        std::wstring(version::kStringTableName.begin(), version::kStringTableName.end()) +
        L"\\FileVersion";
    if (!::GetFileVersionInfoW(file.c_str(), 0, size, record.data()) ||
        !::VerQueryValueW(record.data(), query.c_str(), &value, &length) || value == nullptr) {
        return {};
    }
    // The length counts the terminator, where there is one.
    std::u16string text(static_cast<const char16_t*>(value), length);
    text.resize(std::char_traits<char16_t>::length(text.c_str()));
    std::string utf8 = Utf16ToUtf8Lossy(text);
    if (utf8.size() > kMaxVersionText) {
        utf8.resize(kMaxVersionText);
    }
    return utf8;
}
#else
std::string ProgramFileVersion() {
    return ReadFileVersion(BuiltInVersionRecord());
}
#endif

std::string VersionText(std::string_view programName, std::string_view versionRecord) {
    return std::string(programName) + " " + ReadFileVersion(versionRecord) + "\n" +
           std::string(version::kLicenceNotice);
}

}  // namespace kiro
