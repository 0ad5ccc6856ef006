#include "sim/SimFileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <stdexcept>
#include <utility>

#include "platform/FileDescriptor.h"
#include "platform/Utf16.h"
#include "platform/rapi/RapiConstants.h"

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

std::optional<std::string> RelativeDevicePath(std::u16string_view devicePath) {
    if (devicePath.empty() || devicePath.front() != u'\\' || devicePath.size() > kMaxDevicePath) {
        return std::nullopt;
    }
    const auto utf8 = Utf16ToUtf8(devicePath);
    if (!utf8) {
        return std::nullopt;
    }
    std::string relative;
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
            relative += (relative.empty() ? "" : "/") + part;
        }
        start = end + 1;
    }
    return relative.empty() ? "." : relative;
}

CSimFileSystem::CSimFileSystem(const fs::path& root)
    : m_root(fs::canonical(root)),
      m_rootFd(::open(m_root.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC)) {
    if (m_rootFd < 0) {
        throw std::runtime_error("cannot open " + m_root.string());
    }
    const CFd probe(OpenBeneath(".", O_PATH | O_DIRECTORY));
    if (probe.Get() < 0 && errno == ENOSYS) {
        ::close(m_rootFd);
        throw std::runtime_error("this kernel cannot confine paths (openat2, Linux 5.6 or later)");
    }
}

CSimFileSystem::~CSimFileSystem() {
    ::close(m_rootFd);
}

int CSimFileSystem::OpenBeneath(const std::string& relativePath, int flags) const {
    open_how how{};
    how.flags = static_cast<std::uint64_t>(flags | O_CLOEXEC);
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
    return static_cast<int>(
        ::syscall(SYS_openat2, m_rootFd, relativePath.c_str(), &how, sizeof how));
}

std::optional<std::pair<int, std::string>> CSimFileSystem::OpenParent(
    std::u16string_view devicePath) const {
    const auto relative = RelativeDevicePath(devicePath);
    if (!relative || *relative == ".") {
        return std::nullopt;
    }
    const std::size_t slash = relative->rfind('/');
    const std::string parent = slash == std::string::npos ? "." : relative->substr(0, slash);
    const int fd = OpenBeneath(parent, O_PATH | O_DIRECTORY);
    if (fd < 0) {
        return std::nullopt;
    }
    return std::make_pair(fd, relative->substr(slash == std::string::npos ? 0 : slash + 1));
}

std::optional<std::vector<SimEntry>> CSimFileSystem::Find(std::u16string_view pattern,
                                                          bool foldersOnly) const {
    std::vector<SimEntry> entries;
    if (!Find(pattern, foldersOnly, entries)) {
        return std::nullopt;
    }
    return entries;
}

bool CSimFileSystem::Find(std::u16string_view pattern, bool foldersOnly,
                          std::vector<SimEntry>& entries) const {
    entries.clear();
    const std::size_t lastSeparator = pattern.rfind(u'\\');
    if (lastSeparator == std::u16string_view::npos) {
        return false;
    }
    const auto folder =
        RelativeDevicePath(lastSeparator == 0 ? u"\\" : pattern.substr(0, lastSeparator));
    const auto mask = Utf16ToUtf8(pattern.substr(lastSeparator + 1));
    if (!folder || !mask) {
        return false;
    }
    CFd folderFd(OpenBeneath(*folder, O_RDONLY | O_DIRECTORY));
    if (folderFd.Get() < 0) {
        return false;
    }
    CFd listed(::dup(folderFd.Get()));
    DIR* directory = listed.Get() >= 0 ? ::fdopendir(listed.Get()) : nullptr;
    if (directory == nullptr) {
        return false;
    }
    listed.Release();  // now owned by the directory stream
    const bool everyName = *mask == "*";
    while (const dirent* item = ::readdir(directory)) {
        const std::string name = item->d_name;
        // A folder-only search need not look further at what is plainly a file.
        const bool plainFile =
            item->d_type != DT_DIR && item->d_type != DT_LNK && item->d_type != DT_UNKNOWN;
        if (name == "." || name == ".." || (foldersOnly && plainFile)) {
            continue;
        }
        const auto wide = Utf8ToUtf16(name);
        struct stat info {};
        if (!wide || wide->size() >= rapi::MAX_PATH ||
            (!everyName && ::fnmatch(mask->c_str(), name.c_str(), FNM_CASEFOLD) != 0) ||
            ::fstatat(folderFd.Get(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
            continue;
        }
        // A symbolic link is shown as what it points to, and only when that stays inside.
        if (S_ISLNK(info.st_mode)) {
            CFd target(OpenBeneath((*folder == "." ? "" : *folder + "/") + name, O_PATH));
            if (target.Get() < 0 || ::fstat(target.Get(), &info) != 0) {
                continue;
            }
        }
        const bool isFolder = S_ISDIR(info.st_mode);
        if (foldersOnly && !isFolder) {
            continue;
        }
        SimEntry entry;
        entry.name = std::move(*wide);
        entry.attributes = isFolder ? rapi::FILE_ATTRIBUTE_DIRECTORY : rapi::FILE_ATTRIBUTE_ARCHIVE;
        entry.lastWrite = FileTimeFromUnix(info.st_mtim.tv_sec, info.st_mtim.tv_nsec);
        entry.size = isFolder ? 0 : static_cast<std::uint64_t>(info.st_size);
        entries.push_back(std::move(entry));
    }
    ::closedir(directory);
    return true;
}

int CSimFileSystem::OpenForReading(std::u16string_view devicePath) const {
    const auto relative = RelativeDevicePath(devicePath);
    if (!relative) {
        return -1;
    }
    CFd fd(OpenBeneath(*relative, O_RDONLY | O_NONBLOCK));
    struct stat info {};
    if (fd.Get() < 0 || ::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return -1;
    }
    return fd.Release();
}

bool CSimFileSystem::DeleteFile(std::u16string_view devicePath) const {
    const auto parent = OpenParent(devicePath);
    if (!parent) {
        return false;
    }
    CFd folder(parent->first);
    struct stat info {};
    if (::fstatat(folder.Get(), parent->second.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 ||
        S_ISDIR(info.st_mode)) {
        return false;
    }
    return ::unlinkat(folder.Get(), parent->second.c_str(), 0) == 0;
}

bool CSimFileSystem::CreateDirectory(std::u16string_view devicePath) const {
    const auto parent = OpenParent(devicePath);
    if (!parent) {
        return false;
    }
    CFd folder(parent->first);
    return ::mkdirat(folder.Get(), parent->second.c_str(), 0777) == 0;
}

}  // namespace kiro::sim
