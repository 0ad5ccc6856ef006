#pragma once

#include <string>
#include <string_view>

namespace kiro {

// A value read from the settings store, and whether it was there at all (a missing
// value and an empty one are not the same).
template <typename T>
struct StoredValue {
    T value;
    bool existed = false;
};

// The per-user settings store: integers and strings by section and value name. A
// missing value reads as the caller's default; writes never fail loudly.
class ISettingsStore {
public:
    virtual ~ISettingsStore() = default;
    virtual StoredValue<int> ReadInt(std::string_view section, std::string_view name,
                                     int defaultValue) const = 0;
    virtual StoredValue<std::string> ReadString(std::string_view section, std::string_view name,
                                                std::string_view defaultValue) const = 0;
    virtual void WriteInt(std::string_view section, std::string_view name, int value) = 0;
    virtual void WriteString(std::string_view section, std::string_view name,
                             std::string_view value) = 0;
};

}  // namespace kiro
