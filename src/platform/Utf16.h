#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kiro {

// Conversions at the boundary to the handheld, whose names are UTF-16. They never
// lose characters in silence: a text that cannot be converted gives nothing.
std::optional<std::string> Utf16ToUtf8(std::u16string_view text);
std::optional<std::u16string> Utf8ToUtf16(std::string_view text);

// For display only: unconvertible units become U+FFFD.
std::string Utf16ToUtf8Lossy(std::u16string_view text);

}  // namespace kiro
