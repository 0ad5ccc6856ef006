#pragma once

#include <memory>

#include "seams/SettingsStore.h"

class wxConfigBase;
class wxFileConfig;

namespace kiro {

// The settings store over a wx configuration: section "S", value "V" is the entry
// "/S/V".
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

// The per-user settings file of the program: $XDG_CONFIG_HOME/KiroConv.conf (or
// ~/.config/KiroConv.conf), its folder created when missing. Values are taken as
// written: "$HOME" in a stored path stays "$HOME".
std::unique_ptr<wxFileConfig> CreateUserConfig();

}  // namespace kiro
