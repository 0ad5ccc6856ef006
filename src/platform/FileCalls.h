#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kiro {

// The file system calls of the engine, for POSIX and for Windows. Descriptors are the C
// runtime's on both; files are always binary, never inherited by programs we start, and
// on Windows opened so that other programs may still read, write, rename and delete them,
// as on POSIX. On failure errno holds the reason.

// Which file a name stood for when it was looked at: a file put in its place since, or
// written to since, is another. (A rename changes a file's status time, so that is
// left out.)
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;
    bool regular = false;
    bool folder = false;
    bool link = false;
    bool operator==(const FileIdentity&) const = default;
};

// Paths are UTF-8 inside the program; these are the only conversions between the two.
std::filesystem::path PathFromUtf8(std::string_view utf8);
std::string Utf8FromPath(const std::filesystem::path& path);

// The open flags the engine uses beyond those both systems know; 0 where one has no such
// notion (Windows has no FIFOs to block on and no symbolic links we follow by accident).
extern const int kOpenNonBlocking;
extern const int kOpenNoFollow;

// open(2) with O_RDONLY, O_WRONLY, O_RDWR, O_CREAT, O_EXCL, O_TRUNC, O_APPEND and the two
// above; -1 on failure.
int OpenFile(const std::filesystem::path& path, int flags, int mode = 0666);
bool CloseFile(int fd);
// At most `size` bytes; -1 on failure, 0 at the end. Interrupted calls are repeated.
std::int64_t ReadSome(int fd, void* buffer, std::size_t size);
// Until `size` bytes or the end; -1 on a read error.
std::int64_t ReadFully(int fd, void* buffer, std::size_t size);
std::int64_t WriteSome(int fd, const void* buffer, std::size_t size);
// Cuts an open file back to `size` bytes.
bool TruncateFile(int fd, std::int64_t size);
// The current offset of an open file, -1 on failure.
std::int64_t CurrentOffset(int fd);

// What the path names, a link not followed; none when nothing (errno set).
std::optional<FileIdentity> IdentityOf(const std::filesystem::path& path);
// The same for what the path names after links are followed.
std::optional<FileIdentity> IdentityBehind(const std::filesystem::path& path);
std::optional<FileIdentity> IdentityOfOpenFile(int fd);
// The file a link leads to, as an absolute path.
std::optional<std::filesystem::path> ResolvedPath(const std::filesystem::path& path);
// True when the path is a symbolic link that the protected-links rule forbids following:
// it lies in a sticky folder that everyone may write (such as /tmp), and neither this user
// nor the folder's owner owns it. Another user may have planted it there to lead our
// writes elsewhere. Never true on Windows.
bool IsProtectedLink(const std::filesystem::path& path);

// True when this user may write the file.
bool MayWrite(const std::filesystem::path& path);
bool RemoveFile(const std::filesystem::path& path);
// Renames over an existing file.
bool RenameReplacing(const std::filesystem::path& from, const std::filesystem::path& to);
// Renames to a name that must not exist yet; false (errno EEXIST) when it does.
bool RenameWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to);
// Swaps two names in one step; false with errno ENOSYS where the system cannot.
bool ExchangeFiles(const std::filesystem::path& first, const std::filesystem::path& second);

// Puts an open file's bytes on the disk.
bool SyncOpenFile(int fd);
bool SyncFileAt(const std::filesystem::path& path);
// Puts a folder's entries (a file just renamed into it) on the disk. On Windows the
// renames write through themselves and this does nothing.
bool SyncFolderEntries(const std::filesystem::path& folder);

// Calls `visit` with every name in the folder; false when it cannot be read.
bool ForEachName(const std::filesystem::path& folder,
                 const std::function<void(const std::string&)>& visit);

long CurrentProcessId();
// True only when the process is known to have ended.
bool ProcessIsGone(long pid);

}  // namespace kiro
