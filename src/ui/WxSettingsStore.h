#pragma once

#include <memory>
#include <string>

#include "seams/SettingsStore.h"

class wxConfigBase;

namespace kiro {

// The settings store over a wx configuration: section "S", value "V" is the entry
// "/S/V". Integers are numbers of the store (32-bit registry numbers on Windows); a
// stored text counts as an integer only when it is one.
class CWxSettingsStore final : public ISettingsStore {
public:
    explicit CWxSettingsStore(wxConfigBase& config) : m_config(config) {}
    StoredValue<int> ReadInt(std::string_view section, std::string_view name,
                             int defaultValue) const override;
    StoredValue<std::string> ReadString(std::string_view section, std::string_view name,
                                        std::string_view defaultValue) const override;
    void WriteInt(std::string_view section, std::string_view name, int value) override;
    void WriteString(std::string_view section, std::string_view name,
                     std::string_view value) override;

private:
    wxConfigBase& m_config;
};

// The per-user settings of the program: on Windows the registry key
// HKEY_CURRENT_USER\Software\Corvane Tech Software\KiroConv; elsewhere the file
// $XDG_CONFIG_HOME/KiroConv.conf (or ~/.config/KiroConv.conf), its folder created when
// missing. Values are taken as written: "$HOME" in a stored path stays "$HOME".
std::unique_ptr<wxConfigBase> CreateUserConfig();

#ifdef __WXMSW__
// The settings' key under HKEY_CURRENT_USER.
inline constexpr const char* kSettingsKey = "Software\\Corvane Tech Software\\KiroConv";
// The same settings under another key of HKEY_CURRENT_USER\Software, named from there
// ("Vendor\\Program"; tests use keys of their own).
std::unique_ptr<wxConfigBase> CreateRegistryConfig(const std::string& keyUnderSoftware);
#endif

}  // namespace kiro
