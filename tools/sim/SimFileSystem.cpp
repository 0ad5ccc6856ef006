#include "sim/SimFileSystem.h"

#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "platform/Utf16.h"

namespace kiro::sim {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxDevicePath = 259;
constexpr std::size_t kMaxComponentBytes = 255;

bool IsAcceptableComponent(const std::string& part) {
    return part != "." && part != ".." && part.size() <= kMaxComponentBytes &&
           part.find('/') == std::string::npos && part.find('\0') == std::string::npos;
}

}  // namespace

rapi::FILETIME FileTimeFromUnix(std::int64_t seconds, std::int64_t nanoseconds) {
    constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600LL;
    const auto ticks = static_cast<std::uint64_t>((seconds + kSecondsFrom1601To1970) * 10000000LL +
                                                  nanoseconds / 100);
    return {static_cast<rapi::DWORD>(ticks), static_cast<rapi::DWORD>(ticks >> 32)};
}

CSimFileSystem::CSimFileSystem(const fs::path& root) : m_root(fs::canonical(root)) {}

bool CSimFileSystem::IsInside(const fs::path& hostPath) const {
    std::error_code error;
    const fs::path resolved = fs::weakly_canonical(hostPath, error);
    if (error) {
        return false;
    }
    const std::string text = resolved.string();
    const std::string root = m_root.string();
    return text == root || (text.size() > root.size() && text.compare(0, root.size(), root) == 0 &&
                            text[root.size()] == '/');
}

std::optional<fs::path> CSimFileSystem::Resolve(std::u16string_view devicePath) const {
    if (devicePath.empty() || devicePath.front() != u'\\' || devicePath.size() > kMaxDevicePath) {
        return std::nullopt;
    }
    const auto utf8 = Utf16ToUtf8(devicePath);
    if (!utf8) {
        return std::nullopt;
    }
    fs::path host = m_root;
    std::size_t start = 1;
    while (start <= utf8->size()) {
        std::size_t end = utf8->find('\\', start);
        if (end == std::string::npos) {
            end = utf8->size();
        }
        const std::string part = utf8->substr(start, end - start);
        if (!part.empty()) {
            if (!IsAcceptableComponent(part)) {
                return std::nullopt;
            }
            host /= part;
        }
        start = end + 1;
    }
    if (!IsInside(host)) {
        return std::nullopt;
    }
    return host;
}

std::optional<std::vector<SimEntry>> CSimFileSystem::Find(std::u16string_view pattern,
                                                          bool foldersOnly) const {
    const std::size_t lastSeparator = pattern.rfind(u'\\');
    if (lastSeparator == std::u16string_view::npos) {
        return std::nullopt;
    }
    const auto folder = Resolve(lastSeparator == 0 ? u"\\" : pattern.substr(0, lastSeparator));
    const auto mask = Utf16ToUtf8(pattern.substr(lastSeparator + 1));
    std::error_code error;
    if (!folder || !mask || !fs::is_directory(*folder, error)) {
        return std::nullopt;
    }
    std::vector<SimEntry> entries;
    for (const auto& item : fs::directory_iterator(*folder, error)) {
        const std::string name = item.path().filename().string();
        const auto wide = Utf8ToUtf16(name);
        struct stat info {};
        if (!wide || wide->size() >= rapi::MAX_PATH ||
            ::fnmatch(mask->c_str(), name.c_str(), FNM_CASEFOLD) != 0 ||
            ::lstat(item.path().c_str(), &info) != 0) {
            continue;
        }
        // Only a symbolic link can lead out of the root; it is shown as what it
        // points to when that stays inside.
        if (S_ISLNK(info.st_mode) &&
            (!IsInside(item.path()) || ::stat(item.path().c_str(), &info) != 0)) {
            continue;
        }
        const bool isFolder = S_ISDIR(info.st_mode);
        if (foldersOnly && !isFolder) {
            continue;
        }
        SimEntry entry;
        entry.name = *wide;
        entry.attributes = isFolder ? rapi::FILE_ATTRIBUTE_DIRECTORY : rapi::FILE_ATTRIBUTE_ARCHIVE;
        entry.lastWrite = FileTimeFromUnix(info.st_mtim.tv_sec, info.st_mtim.tv_nsec);
        entry.size = isFolder ? 0 : static_cast<std::uint64_t>(info.st_size);
        entries.push_back(entry);
    }
    if (error) {
        return std::nullopt;
    }
    return entries;
}

int CSimFileSystem::OpenForReading(std::u16string_view devicePath) const {
    const auto host = Resolve(devicePath);
    if (!host || *host == m_root) {
        return -1;
    }
    const int fd = ::open(host->c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat info {};
    if (fd >= 0 && (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool CSimFileSystem::DeleteFile(std::u16string_view devicePath) const {
    const auto host = Resolve(devicePath);
    struct stat info {};
    if (!host || *host == m_root || ::lstat(host->c_str(), &info) != 0 || S_ISDIR(info.st_mode)) {
        return false;
    }
    return ::unlink(host->c_str()) == 0;
}

bool CSimFileSystem::CreateDirectory(std::u16string_view devicePath) const {
    const auto host = Resolve(devicePath);
    return host && *host != m_root && ::mkdir(host->c_str(), 0777) == 0;
}

}  // namespace kiro::sim
