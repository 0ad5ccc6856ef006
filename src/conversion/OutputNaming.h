#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kiro {

enum OutputFormatCode : unsigned {
    kFormatTab = 0,
    kFormatComma = 1,
    kFormatKiroBench = 2,
    kFormatSpc = 3,
    kFormatJcamp = 4,
};

inline bool IsKnownOutputFormat(unsigned format) {
    return format <= kFormatJcamp;
}

// The suffix an output of this device kind receives, or nothing when the kind does
// not convert. Kinds compare exactly, letter case included.
std::optional<std::string_view> OutputSuffixFor(std::string_view kind, unsigned outputFormat);

struct SourceNameParts {
    std::string base;  // everything before the last "."
    std::string kind;  // everything after it
};

// Splits at the last "." of the whole path; a path without "." is all kind.
SourceNameParts SplitSourcePath(const std::string& sourcePath);

// The output path for a source, or nothing when its kind does not convert.
std::optional<std::string> OutputPathFor(const std::string& sourcePath, unsigned outputFormat);

// The words the log line uses for each format; empty for an unknown code.
std::string_view OutputFormatDescription(unsigned outputFormat);

}  // namespace kiro
