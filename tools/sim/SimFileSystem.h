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
// is confined to that folder: malformed names are refused here, and the kernel
// resolves each path beneath the root (no "..", no absolute path, no symbolic link
// out of it).
class CSimFileSystem {
public:
    explicit CSimFileSystem(const std::filesystem::path& root);
    ~CSimFileSystem();
    CSimFileSystem(const CSimFileSystem&) = delete;
    CSimFileSystem& operator=(const CSimFileSystem&) = delete;

    const std::filesystem::path& Root() const { return m_root; }
    // Entries of the folder of a pattern "\A\*" matching its last part; nothing when
    // the folder cannot be listed.
    std::optional<std::vector<SimEntry>> Find(std::u16string_view pattern, bool foldersOnly) const;
    // The same into `entries`, whose memory is reused; false when the folder cannot be
    // listed.
    bool Find(std::u16string_view pattern, bool foldersOnly, std::vector<SimEntry>& entries) const;
    // Opens a file for reading; -1 on failure.
    int OpenForReading(std::u16string_view devicePath) const;
    bool DeleteFile(std::u16string_view devicePath) const;
    bool CreateDirectory(std::u16string_view devicePath) const;

private:
    // Opens a path relative to the root, never resolving outside it; -1 on failure.
    int OpenBeneath(const std::string& relativePath, int flags) const;
    // The folder holding a device path, opened, and the last name in it.
    std::optional<std::pair<int, std::string>> OpenParent(std::u16string_view devicePath) const;

    std::filesystem::path m_root;
    int m_rootFd = -1;
};

// The part of a device path below "\" ("." for the root itself), or nothing when it
// is malformed: not starting with "\", over 259 characters, not UTF-16, or holding a
// component ".", "..", or one with "/" or NUL in it.
std::optional<std::string> RelativeDevicePath(std::u16string_view devicePath);

rapi::FILETIME FileTimeFromUnix(std::int64_t seconds, std::int64_t nanoseconds);

}  // namespace kiro::sim
