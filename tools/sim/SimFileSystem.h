#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/rapi/RapiTypes.h"

namespace kiro::sim {

struct SimEntry {
    std::u16string name;
    rapi::DWORD attributes = 0;
    rapi::FILETIME lastWrite{};
    std::uint64_t size = 0;
};

// The handheld's file system: a folder of the PC, with "\" as its root. Every path
// is confined to that folder: no "..", no absolute path, no symbolic link out of it.
class CSimFileSystem {
public:
    explicit CSimFileSystem(const std::filesystem::path& root);

    const std::filesystem::path& Root() const { return m_root; }
    // The host path for a device path ("\" or "\A\b.txt"), or nothing when the path is
    // malformed or would leave the root.
    std::optional<std::filesystem::path> Resolve(std::u16string_view devicePath) const;
    // Entries of the folder of a pattern "\A\*" matching its last part; nothing when
    // the folder cannot be listed.
    std::optional<std::vector<SimEntry>> Find(std::u16string_view pattern, bool foldersOnly) const;
    // Opens a file for reading; -1 on failure.
    int OpenForReading(std::u16string_view devicePath) const;
    bool DeleteFile(std::u16string_view devicePath) const;
    bool CreateDirectory(std::u16string_view devicePath) const;

private:
    bool IsInside(const std::filesystem::path& hostPath) const;

    std::filesystem::path m_root;
};

rapi::FILETIME FileTimeFromUnix(std::int64_t seconds, std::int64_t nanoseconds);

}  // namespace kiro::sim
