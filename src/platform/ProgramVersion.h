#pragma once

#include <string_view>

namespace kiro {

// The version record built into the program from the project version, as the about
// box reads it (ReadFileVersion, platform/VersionRecord.h).
std::string_view BuiltInVersionRecord();

}  // namespace kiro
