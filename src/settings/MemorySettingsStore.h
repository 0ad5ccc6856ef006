#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "seams/SettingsStore.h"

namespace kiro {

// A store held in memory, for tests and benchmarks. It keeps a journal of every read
// and write ("read Section/Name", "write Section/Name=value") so that tests can check
// the order in which the program touches its settings.
class CMemorySettingsStore final : public ISettingsStore {
public:
    StoredValue<int> ReadInt(std::string_view section, std::string_view name,
                             int defaultValue) const override;
    StoredValue<std::string> ReadString(std::string_view section, std::string_view name,
                                        std::string_view defaultValue) const override;
    void WriteInt(std::string_view section, std::string_view name, int value) override;
    void WriteString(std::string_view section, std::string_view name,
                     std::string_view value) override;

    // The stored text of a value (integers as decimal text), or nothing.
    const std::string* Find(std::string_view section, std::string_view name) const;
    void Clear() { m_values.clear(); }

    mutable std::vector<std::string> journal;

private:
    using Key = std::pair<std::string, std::string>;
    // Integers are kept as their text, as a settings file keeps them.
    std::map<Key, std::string> m_values;
};

}  // namespace kiro
