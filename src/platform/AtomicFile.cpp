#include "platform/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "platform/FileDescriptor.h"
#include "platform/UserName.h"

namespace kiro {
namespace {

// Small appends are gathered into writes of this size.
constexpr std::size_t kWriteBlockBytes = 256 * 1024;
constexpr std::string_view kTemporaryMark = ".kiro-";
constexpr std::string_view kTemporarySuffix = ".tmp";
// Leaves room for the mark, the numbers and the suffix within a 255-byte file name.
constexpr std::size_t kMaxNameInTemporary = 200;

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written < 0) {
            return false;
        }
        if (written == 0) {
            errno = ENOSPC;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

FileIdentity IdentityFromStat(const struct stat& info) {
    return {info.st_dev, info.st_ino, static_cast<std::int64_t>(info.st_size),
            static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec,
            S_ISREG(info.st_mode)};
}

// An existing target that we may not write (or that is not a plain file) must not be
// replaced behind the user's back: creating it is refused as a plain write would be.
bool TargetIsReplaceable(const std::filesystem::path& target,
                         std::optional<FileIdentity>& existing) {
    struct stat info {};
    if (::lstat(target.c_str(), &info) != 0) {
        existing.reset();
        return errno == ENOENT;
    }
    existing = IdentityFromStat(info);
    if (S_ISDIR(info.st_mode)) {
        errno = EISDIR;
        return false;
    }
    return ::access(target.c_str(), W_OK) == 0;
}

bool SameBytes(int first, int second) {
    constexpr std::size_t kBlock = 64 * 1024;
    std::string a(kBlock, '\0');
    std::string b(kBlock, '\0');
    for (;;) {
        const ssize_t gotA = ReadFully(first, a.data(), kBlock);
        const ssize_t gotB = ReadFully(second, b.data(), kBlock);
        if (gotA < 0 || gotA != gotB ||
            a.compare(0, static_cast<std::size_t>(gotA), b, 0, static_cast<std::size_t>(gotB)) !=
                0) {
            return false;
        }
        if (static_cast<std::size_t>(gotA) < kBlock) {
            return true;
        }
    }
}

std::filesystem::path FolderOf(const std::filesystem::path& target) {
    return target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
}

bool SyncPath(const std::filesystem::path& path, int flags) {
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

// The folder's own entry in its parent needs one sync per process, when the folder is
// first used; every new file in it needs a sync of the folder itself.
bool SyncFolder(const std::filesystem::path& folder) {
    static std::mutex mutex;
    static std::set<std::string> synced;
    if (!SyncPath(folder, O_RDONLY | O_DIRECTORY)) {
        return false;
    }
    std::lock_guard<std::mutex> lock(mutex);
    const std::string key = std::filesystem::absolute(folder).lexically_normal().string();
    if (synced.count(key) == 0) {
        const std::filesystem::path parent = std::filesystem::path(key).parent_path();
        if (!SyncPath(parent.empty() ? "/" : parent, O_RDONLY | O_DIRECTORY)) {
            return false;
        }
        synced.insert(key);
    }
    return true;
}

// The owner process of one of our temporary names, or 0 when the name is not ours.
pid_t OwnerOfTemporary(std::string_view name) {
    if (name.size() < 2 || name.front() != '.' || !name.ends_with(kTemporarySuffix)) {
        return 0;
    }
    const std::size_t mark = name.rfind(kTemporaryMark);
    if (mark == std::string_view::npos || mark == 0) {
        return 0;
    }
    const char* first = name.data() + mark + kTemporaryMark.size();
    const char* last = name.data() + name.size() - kTemporarySuffix.size();
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(first, last, pid);
    if (error != std::errc() || end == first || end == last || *end != '-' || pid <= 0) {
        return 0;
    }
    for (const char* p = end + 1; p != last; ++p) {
        if (*p < '0' || *p > '9') {
            return 0;
        }
    }
    return pid;
}

bool ProcessIsGone(pid_t pid) {
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

}  // namespace

std::filesystem::path TemporaryPathFor(const std::filesystem::path& target) {
    static std::atomic<unsigned> counter{0};
    const std::string name = TruncateUtf8(target.filename().string(), kMaxNameInTemporary);
    return FolderOf(target) / ("." + name + std::string(kTemporaryMark) + std::to_string(getpid()) +
                               "-" + std::to_string(counter++) + std::string(kTemporarySuffix));
}

void RemoveStaleTemporaries(const std::filesystem::path& folder) {
    static std::mutex mutex;
    static std::set<std::string> cleaned;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (!cleaned.insert(folder.string()).second) {
            return;
        }
    }
    DIR* directory = ::opendir(folder.c_str());
    if (directory == nullptr) {
        return;
    }
    const int saved = errno;
    while (const dirent* entry = ::readdir(directory)) {
        const pid_t owner = OwnerOfTemporary(entry->d_name);
        if (owner != 0 && owner != getpid() && ProcessIsGone(owner)) {
            ::unlinkat(::dirfd(directory), entry->d_name, 0);
        }
    }
    ::closedir(directory);
    errno = saved;
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

bool RenameReplacingOnly(const std::filesystem::path& from, const std::filesystem::path& to,
                         const FileIdentity& expected) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_EXCHANGE) != 0) {
        if (errno == ENOENT && IdentityOf(from)) {
            return RenameWithoutReplacing(from, to);  // the old file has gone by itself
        }
        if (errno != EINVAL && errno != ENOSYS) {
            return false;
        }
        // A file system that cannot exchange: look just before the rename.
        if (IdentityOf(to) != expected) {
            errno = EEXIST;
            return false;
        }
        return ::rename(from.c_str(), to.c_str()) == 0;
    }
    // `from` now names the file that stood under `to`.
    if (IdentityOf(from) == expected) {
        ::unlink(from.c_str());
        return true;
    }
    // Another file took the name after it was looked at: it gets its name back.
    ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_EXCHANGE);
    errno = EEXIST;
    return false;
}

std::filesystem::path NumberedName(const std::filesystem::path& path, int number) {
    const std::string suffix = " (" + std::to_string(number) + ")";
    const std::filesystem::path name = path.filename();
    return path.parent_path() / (name.stem().string() + suffix + name.extension().string());
}

std::optional<FileIdentity> IdentityOf(const std::filesystem::path& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return IdentityFromStat(info);
}

bool SameContents(const std::filesystem::path& first, const std::filesystem::path& second,
                  FileIdentity* secondIdentity) {
    const CFd a(::open(first.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    const CFd b(::open(second.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    struct stat infoA {};
    struct stat infoB {};
    const bool opened = a.Get() >= 0 && b.Get() >= 0 && ::fstat(a.Get(), &infoA) == 0 &&
                        ::fstat(b.Get(), &infoB) == 0;
    if (secondIdentity != nullptr) {
        // A link, say, is not opened; it is still the thing a replacement would replace.
        *secondIdentity =
            opened ? IdentityFromStat(infoB) : IdentityOf(second).value_or(FileIdentity{});
    }
    if (!opened) {
        return false;
    }
    return S_ISREG(infoA.st_mode) && S_ISREG(infoB.st_mode) && infoA.st_size == infoB.st_size &&
           SameBytes(a.Get(), b.Get());
}

bool SyncFileToDisk(const std::filesystem::path& path) {
    return SyncPath(path, O_RDONLY) && SyncFolder(FolderOf(path));
}

CAtomicFileWriter::CAtomicFileWriter(std::filesystem::path target) : m_target(std::move(target)) {}

CAtomicFileWriter::~CAtomicFileWriter() {
    Abandon();
}

bool CAtomicFileWriter::Fail(int error) {
    if (m_error == 0) {
        m_error = error != 0 ? error : EIO;
    }
    return false;
}

bool CAtomicFileWriter::Open() {
    if (m_target.filename().empty()) {
        return Fail(EISDIR);
    }
    if (!TargetIsReplaceable(m_target, m_targetAtOpen)) {
        return Fail(errno);
    }
    RemoveStaleTemporaries(FolderOf(m_target));
    for (int attempt = 0; attempt < 100; ++attempt) {
        m_temporary = TemporaryPathFor(m_target);
        m_fd = ::open(m_temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd >= 0) {
            return true;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    const int error = errno;
    m_temporary.clear();
    return Fail(error);
}

bool CAtomicFileWriter::Append(std::string_view bytes) {
    if (m_fd < 0 || m_error != 0) {
        return false;
    }
    if (m_pending.size() + bytes.size() <= kWriteBlockBytes) {
        m_pending.append(bytes);
        return true;
    }
    if (!Flush()) {
        return false;
    }
    if (bytes.size() >= kWriteBlockBytes) {
        return WriteAll(m_fd, bytes) || Fail(errno);
    }
    m_pending.assign(bytes);
    return true;
}

bool CAtomicFileWriter::Flush() {
    if (!m_pending.empty() && m_error == 0 && !WriteAll(m_fd, m_pending)) {
        Fail(errno);
    }
    m_pending.clear();
    return m_error == 0;
}

bool CAtomicFileWriter::Placed(bool moved) {
    if (!moved) {
        return Fail(errno);
    }
    m_temporary.clear();
    return true;
}

AtomicWriteResult CAtomicFileWriter::Complete() {
    if (m_fd < 0) {
        Fail(EBADF);
        return AtomicWriteResult::CannotCreate;
    }
    Flush();
    if (::close(m_fd) != 0) {
        Fail(errno);
    }
    m_fd = -1;
    if (m_error != 0) {
        Abandon();
        return AtomicWriteResult::WriteFailed;
    }
    m_completed = true;
    return AtomicWriteResult::Written;
}

bool CAtomicFileWriter::PlaceWithoutReplacing() {
    return m_completed && Placed(RenameWithoutReplacing(m_temporary, m_target));
}

bool CAtomicFileWriter::PlaceReplacing(const FileIdentity& expected) {
    return m_completed && Placed(RenameReplacingOnly(m_temporary, m_target, expected));
}

std::optional<std::filesystem::path> CAtomicFileWriter::PlaceUnderFreeName() {
    if (!m_completed) {
        return std::nullopt;
    }
    for (int number = 2; number < 10000; ++number) {
        const std::filesystem::path candidate = NumberedName(m_target, number);
        if (RenameWithoutReplacing(m_temporary, candidate)) {
            m_temporary.clear();
            return candidate;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    Fail(errno);
    return std::nullopt;
}

AtomicWriteResult CAtomicFileWriter::Commit() {
    const AtomicWriteResult completed = Complete();
    if (completed != AtomicWriteResult::Written) {
        return completed;
    }
    // A target that was not there when we opened must not be clobbered if another
    // program created it meanwhile; one that was there is what the caller replaces, as
    // long as it is still that file.
    const bool placed = m_targetAtOpen ? PlaceReplacing(*m_targetAtOpen) : PlaceWithoutReplacing();
    if (!placed) {
        Abandon();
        return AtomicWriteResult::CannotCreate;
    }
    return AtomicWriteResult::Written;
}

void CAtomicFileWriter::Abandon() {
    const int saved = errno;
    m_pending.clear();
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temporary.empty()) {
        ::unlink(m_temporary.c_str());
        m_temporary.clear();
    }
    errno = saved;
}

AtomicWriteResult WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes) {
    CAtomicFileWriter writer(target);
    AtomicWriteResult result = AtomicWriteResult::CannotCreate;
    if (writer.Open()) {
        writer.Append(bytes);
        result = writer.Commit();
    }
    errno = writer.LastError();
    return result;
}

bool IsReadableFile(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    const bool isFile = ::fstat(fd, &info) == 0 && !S_ISDIR(info.st_mode);
    ::close(fd);
    return isFile;
}

}  // namespace kiro
