#include "platform/UserName.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <pwd.h>
#include <unistd.h>
#endif

#include <vector>

#include "platform/Utf16.h"

namespace kiro {

std::string LookUpAccountName();

std::string CSystemUserName::Name() const {
    // Looked up once: the account does not change while the program runs, and the
    // lookup reads the password database each time.
    static const std::string name = LookUpAccountName();
    return name;
}

#ifdef _WIN32
std::string LookUpAccountName() {
    std::wstring name(257, L'\0');  // UNLEN + 1
    DWORD size = static_cast<DWORD>(name.size());
    if (!::GetUserNameW(name.data(), &size) || size == 0) {
        return "?";
    }
    name.resize(size - 1);  // the count includes the terminator
    const std::u16string units(name.begin(), name.end());
    return Utf16ToUtf8Lossy(units);
}
#else
std::string LookUpAccountName() {
    const uid_t uid = geteuid();
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr) {
        return found->pw_name;
    }
    return std::to_string(uid);
}
#endif

std::string TruncateUtf8(const std::string& text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) {
        return text;
    }
    std::size_t cut = maxBytes;
    // Step back over continuation bytes (10xxxxxx) so the cut lands on a character start.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    return text.substr(0, cut);
}

std::string LoggedUserName(const IUserName& user) {
    return TruncateUtf8(user.Name(), kMaxUserNameBytes);
}

}  // namespace kiro
