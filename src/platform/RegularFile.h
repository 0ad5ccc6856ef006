#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "platform/SystemError.h"

namespace kiro {

// True when opening the path follows no link that the protected-links rule forbids: the
// path itself, and each link it leads to in turn. False with kUntrustedLinkError otherwise.
bool FollowsOnlyTrustedLinks(const std::filesystem::path& path, int& error);

// Opens a regular file, or a link to one, for reading. Never blocks: a FIFO or device is
// refused with kNotRegularFileError before anything is read from it, a folder with EISDIR.
// -1 and `error` set on failure.
int OpenRegularFileForReading(const std::filesystem::path& path, int& error);

// Where a file that is about to be replaced by a rename really lies: the path itself when
// nothing is there yet or it names a regular file, the file behind it when it is a symbolic
// link to a regular file (so the link stays). Anything else is never renamed over: nothing
// then, with `error` set (kNotRegularFileError, or EISDIR for a folder).
std::optional<std::filesystem::path> ReplaceableFileAt(const std::filesystem::path& path,
                                                       int& error);

}  // namespace kiro
