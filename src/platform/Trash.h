#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace kiro {

// How putting a file in the desktop's trash ended.
struct TrashOutcome {
    bool trashed = false;
    std::string reason;  // why not, in the system's words, when not trashed
};

// Puts one file in the desktop's trash (the freedesktop.org trash on Linux, the Recycle Bin
// on Windows), from where the user can have it back. Never deletes it instead: where the
// file's folder has no trash, or it may not be moved there, the file stays as it was.
TrashOutcome MoveToTrash(const std::filesystem::path& path);

// The trash as a caller takes it, so that a test can put a failing one in its place.
using TrashFunction = std::function<TrashOutcome(const std::filesystem::path&)>;

}  // namespace kiro
