#pragma once

#include <string>
#include <string_view>

namespace kiro {

// The version record built into the program from the project version, as the about
// box reads it (ReadFileVersion, platform/VersionRecord.h).
std::string_view BuiltInVersionRecord();

// What `--version` prints: the program's name with the file version of `versionRecord`
// (the built-in one, as the about box reads it), then the licence notice; no line break
// at the end.
std::string VersionText(std::string_view programName,
                        std::string_view versionRecord = BuiltInVersionRecord());

}  // namespace kiro
