#include "platform/RegularFile.h"

#include <fcntl.h>

#include <cerrno>

#include "platform/FileCalls.h"

namespace kiro {
namespace {

int ErrorForType(const FileIdentity& info) {
    return info.folder ? EISDIR : kNotRegularFileError;
}

std::optional<std::filesystem::path> LinkTarget(const std::filesystem::path& link, int& error) {
    const std::optional<FileIdentity> info = IdentityBehind(link);
    if (!info) {
        // A dangling link: what it should become is not ours to guess.
        error = errno == ENOENT ? kNotRegularFileError : errno;
        return std::nullopt;
    }
    if (!info->regular) {
        error = ErrorForType(*info);
        return std::nullopt;
    }
    std::optional<std::filesystem::path> resolved = ResolvedPath(link);
    if (!resolved) {
        error = errno;
    }
    return resolved;
}

}  // namespace

bool FollowsOnlyTrustedLinks(const std::filesystem::path& path, int& error) {
    // The system gives up on longer chains itself.
    constexpr int kMaxLinks = 40;
    std::filesystem::path at = path;
    for (int followed = 0; followed < kMaxLinks; ++followed) {
        const std::optional<FileIdentity> info = IdentityOf(at);
        if (!info || !info->link) {
            return true;
        }
        if (IsProtectedLink(at)) {
            error = kUntrustedLinkError;
            return false;
        }
        std::error_code unreadable;
        const std::filesystem::path target = std::filesystem::read_symlink(at, unreadable);
        if (unreadable) {
            return true;  // opening it names the reason
        }
        at = target.is_absolute() ? target : at.parent_path() / target;
    }
    return true;
}

int OpenRegularFileForReading(const std::filesystem::path& path, int& error) {
    const int fd = OpenFile(path, O_RDONLY | kOpenNonBlocking);
    if (fd < 0) {
        error = errno;
        return -1;
    }
    const std::optional<FileIdentity> info = IdentityOfOpenFile(fd);
    if (!info) {
        error = errno;
    } else if (info->regular) {
        return fd;
    } else {
        error = ErrorForType(*info);
    }
    CloseFile(fd);
    return -1;
}

std::optional<std::filesystem::path> ReplaceableFileAt(const std::filesystem::path& path,
                                                       int& error) {
    const std::optional<FileIdentity> info = IdentityOf(path);
    if (!info) {
        // Nothing there (or nothing we can see): creating the file tells the reason.
        return path;
    }
    if (info->link) {
        return LinkTarget(path, error);
    }
    if (!info->regular) {
        error = ErrorForType(*info);
        return std::nullopt;
    }
    return path;
}

}  // namespace kiro
