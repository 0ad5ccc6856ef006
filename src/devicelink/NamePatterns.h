#pragma once

#include <string_view>

namespace kiro {

// True for a name that holds "*" or "?". The handheld's file system allows neither in a
// file name, so such a name can only be a pattern.
bool IsNamePattern(std::string_view name);

// Whether a UTF-8 name matches a pattern: "*" stands for any run of characters (none
// included), "?" for one character, and every other character for itself, letter case
// ignored as the handheld ignores it. A text that is not UTF-8 matches nothing.
bool MatchesNamePattern(std::string_view pattern, std::string_view name);

}  // namespace kiro
