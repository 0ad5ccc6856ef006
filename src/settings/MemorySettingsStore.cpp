#include "settings/MemorySettingsStore.h"

#include <charconv>

namespace kiro {

namespace {

std::string KeyText(std::string_view section, std::string_view name) {
    std::string text(section);
    text += '/';
    text += name;
    return text;
}

}  // namespace

const std::string* CMemorySettingsStore::Find(std::string_view section,
                                              std::string_view name) const {
    const auto found = m_values.find(Key{std::string(section), std::string(name)});
    return found == m_values.end() ? nullptr : &found->second;
}

StoredValue<int> CMemorySettingsStore::ReadInt(std::string_view section, std::string_view name,
                                               int defaultValue) const {
    journal.push_back("read " + KeyText(section, name));
    const std::string* text = Find(section, name);
    int value = 0;
    if (text == nullptr ||
        std::from_chars(text->data(), text->data() + text->size(), value).ec != std::errc{}) {
        return {defaultValue, false};
    }
    return {value, true};
}

StoredValue<std::string> CMemorySettingsStore::ReadString(std::string_view section,
                                                          std::string_view name,
                                                          std::string_view defaultValue) const {
    journal.push_back("read " + KeyText(section, name));
    const std::string* text = Find(section, name);
    if (text == nullptr) {
        return {std::string(defaultValue), false};
    }
    return {*text, true};
}

void CMemorySettingsStore::WriteInt(std::string_view section, std::string_view name, int value) {
    WriteString(section, name, std::to_string(value));
}

void CMemorySettingsStore::WriteString(std::string_view section, std::string_view name,
                                       std::string_view value) {
    journal.push_back("write " + KeyText(section, name) + "=" + std::string(value));
    m_values[Key{std::string(section), std::string(name)}] = std::string(value);
}

}  // namespace kiro
