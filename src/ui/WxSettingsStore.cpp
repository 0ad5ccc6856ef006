#include "ui/WxSettingsStore.h"

#include <wx/fileconf.h>
#include <wx/filename.h>
#include <wx/stdpaths.h>

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
    long value = 0;
    // A value that is not a number, or does not fit, counts as missing.
    if (!m_config.Read(EntryPath(section, name), &value) ||
        value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) {
        return {defaultValue, false};
    }
    return {static_cast<int>(value), true};
}

StoredValue<std::string> CWxSettingsStore::ReadString(std::string_view section,
                                                      std::string_view name,
                                                      std::string_view defaultValue) const {
    wxString value;
    if (!m_config.Read(EntryPath(section, name), &value)) {
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

std::unique_ptr<wxFileConfig> CreateUserConfig() {
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

}  // namespace kiro
