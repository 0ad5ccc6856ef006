#include "ui/WxSettingsStore.h"

#include <wx/fileconf.h>
#include <wx/filename.h>
#include <wx/stdpaths.h>
#ifdef __WXMSW__
#include <wx/msw/regconf.h>
#endif

#include <limits>

#include "seams/WindowTexts.h"
#include "ui/WxText.h"

namespace kiro {

namespace {

inline constexpr const char* kVendorName = "Corvane Tech Software";

wxString EntryPath(std::string_view section, std::string_view name) {
    std::string path = "/";
    path += section;
    path += '/';
    path += name;
    return ToWx(path);
}

}  // namespace

StoredValue<int> CWxSettingsStore::ReadInt(std::string_view section, std::string_view name,
                                           int defaultValue) const {
    const wxString path = EntryPath(section, name);
    long value = 0;
    bool read = false;
    switch (m_config.GetEntryType(path)) {
        case wxConfigBase::Type_Integer:
            read = m_config.Read(path, &value);
            break;
        case wxConfigBase::Type_String: {
            // Asked for as a number, a registry text would be misread: read it as text.
            wxString text;
            read = m_config.Read(path, &text) && text.Trim().ToLong(&value);
            break;
        }
        default:
            break;
    }
    // A value that is not a number, or does not fit, counts as missing.
    if (!read || value < std::numeric_limits<int>::min() ||
        value > std::numeric_limits<int>::max()) {
        return {defaultValue, false};
    }
    return {static_cast<int>(value), true};
}

StoredValue<std::string> CWxSettingsStore::ReadString(std::string_view section,
                                                      std::string_view name,
                                                      std::string_view defaultValue) const {
    const wxString path = EntryPath(section, name);
    wxString value;
    // A registry number where a text belongs counts as missing, as a text that is no
    // number does where a number belongs.
    if (m_config.GetEntryType(path) == wxConfigBase::Type_Integer || !m_config.Read(path, &value)) {
        return {std::string(defaultValue), false};
    }
    return {value.utf8_string(), true};
}

void CWxSettingsStore::WriteInt(std::string_view section, std::string_view name, int value) {
    m_config.Write(EntryPath(section, name), static_cast<long>(value));
}

void CWxSettingsStore::WriteString(std::string_view section, std::string_view name,
                                   std::string_view value) {
    m_config.Write(EntryPath(section, name), ToWx(value));
}

#ifdef __WXMSW__
std::unique_ptr<wxConfigBase> CreateRegistryConfig(const std::string& keyUnderSoftware) {
    // The toolkit puts the key it is given under HKEY_CURRENT_USER\Software.
    auto config =
        std::make_unique<wxRegConfig>(kApplicationTitle, kVendorName, ToWx(keyUnderSoftware),
                                      wxString(), wxCONFIG_USE_LOCAL_FILE);
    config->SetExpandEnvVars(false);
    return config;
}

std::unique_ptr<wxConfigBase> CreateUserConfig() {
    return CreateRegistryConfig(std::string(kVendorName) + "\\" + kApplicationTitle);
}
#else
std::unique_ptr<wxConfigBase> CreateUserConfig() {
    wxStandardPaths::Get().SetFileLayout(wxStandardPaths::FileLayout_XDG);
    const wxString appName = kApplicationTitle;
    // wx writes the file but does not make its folder, so the first save would fail.
    const wxFileName file(wxFileConfig::GetLocalFileName(appName, wxCONFIG_USE_LOCAL_FILE));
    if (!file.DirExists()) {
        wxFileName::Mkdir(file.GetPath(), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
    }
    auto config = std::make_unique<wxFileConfig>(appName, kVendorName, wxString(), wxString(),
                                                 wxCONFIG_USE_LOCAL_FILE);
    config->SetExpandEnvVars(false);
    return config;
}

#endif

}  // namespace kiro
