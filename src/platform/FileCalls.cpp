#include "platform/FileCalls.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <memory>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <dirent.h>
#include <signal.h>
#include <unistd.h>
#endif

namespace kiro {

std::filesystem::path PathFromUtf8(std::string_view utf8) {
    return std::filesystem::path(
        std::u8string_view(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::int64_t ReadFully(int fd, void* buffer, std::size_t size) {
    auto* bytes = static_cast<unsigned char*>(buffer);
    std::size_t total = 0;
    while (total < size) {
        const std::int64_t got = ReadSome(fd, bytes + total, size - total);
        if (got < 0) {
            return -1;
        }
        if (got == 0) {
            break;
        }
        total += static_cast<std::size_t>(got);
    }
    return static_cast<std::int64_t>(total);
}

#ifndef _WIN32

const int kOpenNonBlocking = O_NONBLOCK;
const int kOpenNoFollow = O_NOFOLLOW;

namespace {

FileIdentity IdentityFromStat(const struct stat& info) {
    return {static_cast<std::uint64_t>(info.st_dev),
            static_cast<std::uint64_t>(info.st_ino),
            static_cast<std::int64_t>(info.st_size),
            static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec,
            S_ISREG(info.st_mode),
            S_ISDIR(info.st_mode),
            S_ISLNK(info.st_mode)};
}

}  // namespace

int OpenFile(const std::filesystem::path& path, int flags, int mode) {
    return ::open(path.c_str(), flags | O_CLOEXEC, mode);
}

bool CloseFile(int fd) {
    return ::close(fd) == 0;
}

std::int64_t ReadSome(int fd, void* buffer, std::size_t size) {
    ssize_t got;
    do {
        got = ::read(fd, buffer, size);
    } while (got < 0 && errno == EINTR);
    return got;
}

std::int64_t WriteSome(int fd, const void* buffer, std::size_t size) {
    ssize_t written;
    do {
        written = ::write(fd, buffer, size);
    } while (written < 0 && errno == EINTR);
    return written;
}

bool TruncateFile(int fd, std::int64_t size) {
    return ::ftruncate(fd, static_cast<off_t>(size)) == 0;
}

std::int64_t CurrentOffset(int fd) {
    return ::lseek(fd, 0, SEEK_CUR);
}

std::optional<FileIdentity> IdentityOf(const std::filesystem::path& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return IdentityFromStat(info);
}

std::optional<FileIdentity> IdentityBehind(const std::filesystem::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return IdentityFromStat(info);
}

std::optional<FileIdentity> IdentityOfOpenFile(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        return std::nullopt;
    }
    return IdentityFromStat(info);
}

std::optional<std::filesystem::path> ResolvedPath(const std::filesystem::path& path) {
    const std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr),
                                                               &std::free);
    if (!resolved) {
        return std::nullopt;
    }
    return std::filesystem::path(resolved.get());
}

bool IsProtectedLink(const std::filesystem::path& path) {
    struct stat link {};
    struct stat folder {};
    const std::filesystem::path parent = path.has_parent_path() ? path.parent_path() : ".";
    if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode) ||
        ::stat(parent.c_str(), &folder) != 0) {
        return false;
    }
    const bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
    return shared && link.st_uid != ::geteuid() && link.st_uid != folder.st_uid;
}

bool MayWrite(const std::filesystem::path& path) {
    return ::access(path.c_str(), W_OK) == 0;
}

bool RemoveFile(const std::filesystem::path& path) {
    return ::unlink(path.c_str()) == 0;
}

bool RenameReplacing(const std::filesystem::path& from, const std::filesystem::path& to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

bool RenameWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return false;
    }
    // A file system without the flag: a hard link is just as exclusive.
    if (::link(from.c_str(), to.c_str()) != 0) {
        return false;
    }
    ::unlink(from.c_str());
    return true;
}

bool ExchangeFiles(const std::filesystem::path& first, const std::filesystem::path& second) {
    return ::renameat2(AT_FDCWD, first.c_str(), AT_FDCWD, second.c_str(), RENAME_EXCHANGE) == 0;
}

bool SyncOpenFile(int fd) {
    return ::fsync(fd) == 0;
}

namespace {

// Opens the path with `flags` only to flush it; errno tells why when it fails.
bool SyncOpened(const std::filesystem::path& path, int flags) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool synced = ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    errno = error;
    return synced;
}

}  // namespace

bool SyncFileAt(const std::filesystem::path& path) {
    return SyncOpened(path, O_RDONLY);
}

bool SyncFolderEntries(const std::filesystem::path& folder) {
    return SyncOpened(folder, O_RDONLY | O_DIRECTORY);
}

bool ForEachName(const std::filesystem::path& folder,
                 const std::function<void(const std::string&)>& visit) {
    DIR* directory = ::opendir(folder.c_str());
    if (directory == nullptr) {
        return false;
    }
    while (const dirent* entry = ::readdir(directory)) {
        visit(entry->d_name);
    }
    ::closedir(directory);
    return true;
}

long CurrentProcessId() {
    return static_cast<long>(::getpid());
}

bool ProcessIsGone(long pid) {
    return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

#else  // Windows

const int kOpenNonBlocking = 0;
const int kOpenNoFollow = 0;

namespace {

std::wstring Wide(const std::filesystem::path& path) {
    return path.wstring();
}

int ErrnoFromWindows(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_INVALID_DRIVE:
            return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_WRITE_PROTECT:
            return EACCES;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return EEXIST;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ENOSPC;
        case ERROR_DIRECTORY:
            return ENOTDIR;
        case ERROR_FILENAME_EXCED_RANGE:
            return ENAMETOOLONG;
        case ERROR_NOT_SAME_DEVICE:
            return EXDEV;
        default:
            return EIO;
    }
}

bool FailWith(DWORD error) {
    errno = ErrnoFromWindows(error);
    return false;
}

DWORD Disposition(int flags) {
    if ((flags & O_CREAT) != 0) {
        if ((flags & O_EXCL) != 0) {
            return CREATE_NEW;
        }
        return (flags & O_TRUNC) != 0 ? CREATE_ALWAYS : OPEN_ALWAYS;
    }
    return (flags & O_TRUNC) != 0 ? TRUNCATE_EXISTING : OPEN_EXISTING;
}

DWORD Access(int flags) {
    const int mode = flags & (O_RDONLY | O_WRONLY | O_RDWR);
    DWORD access = mode == O_WRONLY ? 0 : GENERIC_READ;
    if (mode != O_RDONLY) {
        // Appending writers only ever add at the end, each write whole, as O_APPEND does.
        access |= (flags & O_APPEND) != 0 ? FILE_APPEND_DATA | FILE_READ_ATTRIBUTES |
                                                FILE_WRITE_ATTRIBUTES | SYNCHRONIZE
                                          : GENERIC_WRITE;
    }
    return access;
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::int64_t NanosecondsSince1601(const FILETIME& time) {
    const std::uint64_t ticks =
        (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    return static_cast<std::int64_t>(ticks) * 100;
}

std::optional<FileIdentity> IdentityOfHandle(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info)) {
        FailWith(::GetLastError());
        return std::nullopt;
    }
    const bool folder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const bool link = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    const DWORD type = ::GetFileType(handle);
    return FileIdentity{
        info.dwVolumeSerialNumber,
        (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow,
        static_cast<std::int64_t>((static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) |
                                  info.nFileSizeLow),
        NanosecondsSince1601(info.ftLastWriteTime),
        !folder && !link && type == FILE_TYPE_DISK,
        folder,
        link};
}

std::optional<FileIdentity> IdentityAt(const std::filesystem::path& path, DWORD extraFlags) {
    const HANDLE handle =
        ::CreateFileW(Wide(path).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                      FILE_FLAG_BACKUP_SEMANTICS | extraFlags, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        FailWith(::GetLastError());
        return std::nullopt;
    }
    std::optional<FileIdentity> identity = IdentityOfHandle(handle);
    ::CloseHandle(handle);
    return identity;
}

HANDLE HandleOf(int fd) {
    return reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
}

bool Move(const std::filesystem::path& from, const std::filesystem::path& to, DWORD flags) {
    // Written through: the rename is on the disk when the call returns, which is what a
    // folder flush gives on POSIX.
    return ::MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), flags | MOVEFILE_WRITE_THROUGH) ||
           FailWith(::GetLastError());
}

}  // namespace

int OpenFile(const std::filesystem::path& path, int flags, int /*mode*/) {
    const HANDLE handle = ::CreateFileW(Wide(path).c_str(), Access(flags), kShareAll, nullptr,
                                        Disposition(flags), FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        const DWORD attributes = ::GetFileAttributesW(Wide(path).c_str());
        if (error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
            (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            errno = EISDIR;
        } else {
            FailWith(error);
        }
        return -1;
    }
    const int crtFlags = _O_BINARY | _O_NOINHERIT | (flags & (O_RDONLY | O_WRONLY | O_RDWR)) |
                         ((flags & O_APPEND) != 0 ? _O_APPEND : 0);
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), crtFlags);
    if (fd < 0) {
        ::CloseHandle(handle);
        errno = EMFILE;
    }
    return fd;
}

bool CloseFile(int fd) {
    return ::_close(fd) == 0;
}

std::int64_t ReadSome(int fd, void* buffer, std::size_t size) {
    const unsigned int chunk = size > (1u << 30) ? (1u << 30) : static_cast<unsigned int>(size);
    return ::_read(fd, buffer, chunk);
}

std::int64_t WriteSome(int fd, const void* buffer, std::size_t size) {
    const unsigned int chunk = size > (1u << 30) ? (1u << 30) : static_cast<unsigned int>(size);
    return ::_write(fd, buffer, chunk);
}

bool TruncateFile(int fd, std::int64_t size) {
    return ::_chsize_s(fd, size) == 0;
}

std::int64_t CurrentOffset(int fd) {
    return ::_lseeki64(fd, 0, SEEK_CUR);
}

std::optional<FileIdentity> IdentityOf(const std::filesystem::path& path) {
    return IdentityAt(path, FILE_FLAG_OPEN_REPARSE_POINT);
}

std::optional<FileIdentity> IdentityBehind(const std::filesystem::path& path) {
    return IdentityAt(path, 0);
}

std::optional<FileIdentity> IdentityOfOpenFile(int fd) {
    const HANDLE handle = HandleOf(fd);
    if (handle == INVALID_HANDLE_VALUE) {
        errno = EBADF;
        return std::nullopt;
    }
    return IdentityOfHandle(handle);
}

std::optional<std::filesystem::path> ResolvedPath(const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::path resolved = std::filesystem::canonical(path, error);
    if (error) {
        errno = error.value();
        return std::nullopt;
    }
    return resolved;
}

// Windows knows no sticky folders; who may create links there is the system's choice.
bool IsProtectedLink(const std::filesystem::path&) {
    return false;
}

bool MayWrite(const std::filesystem::path& path) {
    const DWORD attributes = ::GetFileAttributesW(Wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return FailWith(::GetLastError());
    }
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        errno = EACCES;
        return false;
    }
    return true;
}

bool RemoveFile(const std::filesystem::path& path) {
    return ::DeleteFileW(Wide(path).c_str()) || FailWith(::GetLastError());
}

bool RenameReplacing(const std::filesystem::path& from, const std::filesystem::path& to) {
    return Move(from, to, MOVEFILE_REPLACE_EXISTING);
}

bool RenameWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to) {
    return Move(from, to, 0);
}

bool ExchangeFiles(const std::filesystem::path&, const std::filesystem::path&) {
    errno = ENOSYS;
    return false;
}

bool SyncOpenFile(int fd) {
    return ::FlushFileBuffers(HandleOf(fd)) || FailWith(::GetLastError());
}

// Flushing needs a handle that may write.
bool SyncFileAt(const std::filesystem::path& path) {
    const int fd = OpenFile(path, O_WRONLY);
    if (fd < 0) {
        return false;
    }
    const bool synced = SyncOpenFile(fd);
    const int error = errno;
    CloseFile(fd);
    errno = error;
    return synced;
}

bool SyncFolderEntries(const std::filesystem::path&) {
    return true;
}

bool ForEachName(const std::filesystem::path& folder,
                 const std::function<void(const std::string&)>& visit) {
    WIN32_FIND_DATAW entry{};
    const HANDLE search = ::FindFirstFileW(Wide(folder / "*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return FailWith(::GetLastError());
    }
    do {
        visit(Utf8FromPath(std::filesystem::path(entry.cFileName)));
    } while (::FindNextFileW(search, &entry));
    ::FindClose(search);
    return true;
}

long CurrentProcessId() {
    return static_cast<long>(::GetCurrentProcessId());
}

bool ProcessIsGone(long pid) {
    const HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
    if (process == nullptr) {
        return ::GetLastError() == ERROR_INVALID_PARAMETER;  // no such process
    }
    const bool ended = ::WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    ::CloseHandle(process);
    return ended;
}

#endif

}  // namespace kiro
