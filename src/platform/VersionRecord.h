#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kiro {

// One value of a version record, named by its path as the platform's version resources
// name them: "\StringFileInfo\040904b0\FileVersion".
struct VersionValue {
    std::string path;
    std::string value;
};

// Lays the values out as a version record: a line naming the format, then one
// "path=value" line each. A value ends at its first line break.
std::string MakeVersionRecord(const std::vector<VersionValue>& values);

// The text at `valuePath`, or nothing when the record is not a well-formed version
// record or has no such value.
std::optional<std::string> QueryVersionValue(std::string_view record, std::string_view valuePath);

// The file version of the US English table, at most 255 bytes; empty when the record
// cannot be read or has none.
std::string ReadFileVersion(std::string_view record);

}  // namespace kiro
