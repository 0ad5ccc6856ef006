#pragma once

#include <filesystem>

#include "platform/FileCalls.h"

namespace kiro {

// What the engine asks about a PC file that may already be under a name it writes to.

// True when the path names a file (not a folder) that can be opened for reading.
bool IsReadableFile(const std::filesystem::path& path);

// "NAME (N).EXT" beside `path`: the name a second file of the same name is kept under.
std::filesystem::path NumberedName(const std::filesystem::path& path, int number);

// True when both paths name regular files with the same bytes; `second`'s identity as
// it was compared is stored in `secondIdentity`.
bool SameContents(const std::filesystem::path& first, const std::filesystem::path& second,
                  FileIdentity* secondIdentity);

}  // namespace kiro
