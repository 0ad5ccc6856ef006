#include "platform/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace kiro {
namespace {

int ErrorForType(mode_t mode) {
    return S_ISDIR(mode) ? EISDIR : kNotRegularFileError;
}

std::optional<std::filesystem::path> LinkTarget(const std::filesystem::path& link, int& error) {
    struct stat info {};
    if (::stat(link.c_str(), &info) != 0) {
        // A dangling link: what it should become is not ours to guess.
        error = errno == ENOENT ? kNotRegularFileError : errno;
        return std::nullopt;
    }
    if (!S_ISREG(info.st_mode)) {
        error = ErrorForType(info.st_mode);
        return std::nullopt;
    }
    const std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(link.c_str(), nullptr),
                                                               &std::free);
    if (!resolved) {
        error = errno;
        return std::nullopt;
    }
    return std::filesystem::path(resolved.get());
}

}  // namespace

std::string DescribeSystemError(int error) {
    return error == kNotRegularFileError ? "not a regular file" : std::strerror(error);
}

int OpenRegularFileForReading(const std::filesystem::path& path, int& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        error = errno;
        return -1;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        error = errno;
    } else if (S_ISREG(info.st_mode)) {
        return fd;
    } else {
        error = ErrorForType(info.st_mode);
    }
    ::close(fd);
    return -1;
}

std::optional<std::filesystem::path> ReplaceableFileAt(const std::filesystem::path& path,
                                                       int& error) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        // Nothing there (or nothing we can see): creating the file tells the reason.
        return path;
    }
    if (S_ISLNK(info.st_mode)) {
        return LinkTarget(path, error);
    }
    if (!S_ISREG(info.st_mode)) {
        error = ErrorForType(info.st_mode);
        return std::nullopt;
    }
    return path;
}

}  // namespace kiro
