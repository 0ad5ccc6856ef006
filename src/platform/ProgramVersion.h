#pragma once

#include <string>
#include <string_view>

namespace kiro {

// The version record built into the program from the project version, as the about
// box reads it (ReadFileVersion, platform/VersionRecord.h).
std::string_view BuiltInVersionRecord();

// The FileVersion the about box shows, read from the program file's own version record:
// on Windows the version resource of the running program's file (string table
// "040904b0"), elsewhere the record built in. At most 255 bytes; empty when the file has
// no such record or entry.
std::string ProgramFileVersion();

// What `--version` prints: the program's name with the file version of `versionRecord`
// (the built-in one, as the about box reads it), then the licence notice; no line break
// at the end.
std::string VersionText(std::string_view programName,
                        std::string_view versionRecord = BuiltInVersionRecord());

}  // namespace kiro
