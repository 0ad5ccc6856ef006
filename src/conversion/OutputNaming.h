#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "conversion/OutputFormats.h"

namespace kiro {

// The suffix an output of this device kind receives, or nothing when the kind does
// not convert. Kinds compare exactly, letter case included.
std::optional<std::string_view> OutputSuffixFor(std::string_view kind, OutputFormat format);

struct SourceNameParts {
    std::string base;  // everything before the last "."
    std::string kind;  // everything after it
};

// Splits at the last "." of the whole path; a path without "." is all kind.
SourceNameParts SplitSourcePath(const std::string& sourcePath);

// The output path for a source, or nothing when its kind does not convert: beside the
// source, or under the same name in `outputFolder` when one is given.
std::optional<std::string> OutputPathFor(const std::string& sourcePath, OutputFormat format,
                                         const std::string& outputFolder = {});

}  // namespace kiro
