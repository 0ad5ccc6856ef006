#include "platform/AtomicFile.h"

#include <fcntl.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "platform/FileChecks.h"
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
        const std::int64_t written = WriteSome(fd, bytes.data(), bytes.size());
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

// An existing target that we may not write (or that is not a plain file) must not be
// replaced behind the user's back: creating it is refused as a plain write would be.
bool TargetIsReplaceable(const std::filesystem::path& target,
                         std::optional<FileIdentity>& existing) {
    existing = IdentityOf(target);
    if (!existing) {
        return errno == ENOENT;
    }
    if (existing->folder) {
        errno = EISDIR;
        return false;
    }
    return MayWrite(target);
}

std::filesystem::path FolderOf(const std::filesystem::path& target) {
    return target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
}

// The folder's own entry in its parent needs one sync per process, when the folder is
// first used; every new file in it needs a sync of the folder itself.
bool SyncFolder(const std::filesystem::path& folder) {
    static std::mutex mutex;
    static std::set<std::string> synced;
    if (!SyncFolderEntries(folder)) {
        return false;
    }
    std::lock_guard<std::mutex> lock(mutex);
    const std::string key = std::filesystem::absolute(folder).lexically_normal().string();
    if (synced.count(key) == 0) {
        const std::filesystem::path parent = std::filesystem::path(key).parent_path();
        if (!SyncFolderEntries(parent.empty() ? "/" : parent)) {
            return false;
        }
        synced.insert(key);
    }
    return true;
}

// The owner process of one of our temporary names, or 0 when the name is not ours.
long OwnerOfTemporary(std::string_view name) {
    if (name.size() < 2 || name.front() != '.' || !name.ends_with(kTemporarySuffix)) {
        return 0;
    }
    const std::size_t mark = name.rfind(kTemporaryMark);
    if (mark == std::string_view::npos || mark == 0) {
        return 0;
    }
    const char* first = name.data() + mark + kTemporaryMark.size();
    const char* last = name.data() + name.size() - kTemporarySuffix.size();
    long pid = 0;
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

}  // namespace

std::filesystem::path TemporaryPathFor(const std::filesystem::path& target) {
    static std::atomic<unsigned> counter{0};
    const std::string name = TruncateUtf8(target.filename().string(), kMaxNameInTemporary);
    return FolderOf(target) /
           ("." + name + std::string(kTemporaryMark) + std::to_string(CurrentProcessId()) + "-" +
            std::to_string(counter++) + std::string(kTemporarySuffix));
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
    const int saved = errno;
    ForEachName(folder, [&folder](const std::string& name) {
        const long owner = OwnerOfTemporary(name);
        if (owner != 0 && owner != CurrentProcessId() && ProcessIsGone(owner)) {
            RemoveFile(folder / PathFromUtf8(name));
        }
    });
    errno = saved;
}

bool RenameReplacingOnly(const std::filesystem::path& from, const std::filesystem::path& to,
                         const FileIdentity& expected) {
    if (!ExchangeFiles(from, to)) {
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
        return RenameReplacing(from, to);
    }
    // `from` now names the file that stood under `to`.
    if (IdentityOf(from) == expected) {
        RemoveFile(from);
        return true;
    }
    // Another file took the name after it was looked at: it gets its name back.
    ExchangeFiles(from, to);
    errno = EEXIST;
    return false;
}

bool SyncFileToDisk(const std::filesystem::path& path) {
    return SyncFileAt(path) && SyncFolder(FolderOf(path));
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
        m_fd = OpenFile(m_temporary, O_WRONLY | O_CREAT | O_EXCL);
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
    if (!CloseFile(m_fd)) {
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
        CloseFile(m_fd);
        m_fd = -1;
    }
    if (!m_temporary.empty()) {
        RemoveFile(m_temporary);
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

}  // namespace kiro
