#include "devicelink/NamePatterns.h"

#include <optional>
#include <string>

#include "platform/Utf16.h"

namespace kiro {
namespace {

// Whole characters, so that "?" takes one even beyond the 16-bit range.
std::optional<std::u32string> Characters(std::string_view utf8) {
    const std::optional<std::u16string> units = Utf8ToUtf16(utf8);
    if (!units) {
        return std::nullopt;
    }
    std::u32string characters;
    for (std::size_t i = 0; i < units->size(); ++i) {
        const char32_t unit = (*units)[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units->size()) {
            characters.push_back(0x10000 + ((unit - 0xD800) << 10) + ((*units)[++i] - 0xDC00));
        } else {
            characters.push_back(unit);
        }
    }
    return characters;
}

// The lower-case form of the capitals of the Latin, Greek and Cyrillic alphabets that the
// handheld's file names are written in; any other character stands for itself.
char32_t FoldCase(char32_t c) {
    const bool latin = (c >= U'A' && c <= U'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7);
    const bool greek = c >= 0x391 && c <= 0x3A9 && c != 0x3A2;
    const bool cyrillic = c >= 0x410 && c <= 0x42F;
    if (latin || greek || cyrillic) {
        return c + 0x20;
    }
    if (c >= 0x400 && c <= 0x40F) {
        return c + 0x50;
    }
    return c;
}

bool Matches(const std::u32string& pattern, const std::u32string& name) {
    std::size_t p = 0;
    std::size_t n = 0;
    // Where the last "*" was and how much of the name it takes so far: on a mismatch it
    // takes one character more, so a match is found without trying every split.
    std::optional<std::size_t> star;
    std::size_t starTakesUpTo = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == U'*') {
            star = p++;
            starTakesUpTo = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == U'?' || FoldCase(pattern[p]) == FoldCase(name[n]))) {
            ++p;
            ++n;
        } else if (star) {
            p = *star + 1;
            n = ++starTakesUpTo;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == U'*') {
        ++p;
    }
    return p == pattern.size();
}

}  // namespace

bool IsNamePattern(std::string_view name) {
    return name.find_first_of("*?") != std::string_view::npos;
}

bool MatchesNamePattern(std::string_view pattern, std::string_view name) {
    const std::optional<std::u32string> patternCharacters = Characters(pattern);
    const std::optional<std::u32string> nameCharacters = Characters(name);
    return patternCharacters && nameCharacters && Matches(*patternCharacters, *nameCharacters);
}

}  // namespace kiro
