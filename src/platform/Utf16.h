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

// The length of the well-formed UTF-8 sequence at the start of `text` (1 for ASCII), or
// 0 when it starts with none: no overlong forms, no surrogates, nothing beyond U+10FFFF.
std::size_t Utf8SequenceLength(std::string_view text);

}  // namespace kiro
