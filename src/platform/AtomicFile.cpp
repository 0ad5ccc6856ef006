#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>

namespace kiro {
namespace {

// Small appends are gathered into writes of this size.
constexpr std::size_t kWriteBlockBytes = 256 * 1024;

std::filesystem::path TemporaryNameFor(const std::filesystem::path& target, int attempt) {
    static std::atomic<unsigned> counter{0};
    std::string name = "." + target.filename().string() + ".kiro-" + std::to_string(getpid()) +
                       "-" + std::to_string(counter++) + "-" + std::to_string(attempt) + ".tmp";
    return target.parent_path() / name;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// An existing target that we may not write (or that is not a plain file) must not be
// replaced behind the user's back: creating it is refused as a plain write would be.
bool TargetIsReplaceable(const std::filesystem::path& target) {
    struct stat info {};
    if (::lstat(target.c_str(), &info) != 0) {
        return errno == ENOENT;
    }
    if (S_ISDIR(info.st_mode)) {
        return false;
    }
    return ::access(target.c_str(), W_OK) == 0;
}

}  // namespace

CAtomicFileWriter::CAtomicFileWriter(std::filesystem::path target) : m_target(std::move(target)) {}

CAtomicFileWriter::~CAtomicFileWriter() {
    Abandon();
}

bool CAtomicFileWriter::Open() {
    if (m_target.filename().empty()) {
        return false;
    }
    // When nothing of that name exists yet, write it in place: removing it again on
    // failure restores the state as surely as a rename would, and saves one.
    m_fd = ::open(m_target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (m_fd >= 0) {
        m_temporary = m_target;
        m_inPlace = true;
        m_failed = false;
        return true;
    }
    if (errno != EEXIST || !TargetIsReplaceable(m_target)) {
        return false;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        m_temporary = TemporaryNameFor(m_target, attempt);
        m_fd = ::open(m_temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd >= 0) {
            m_failed = false;
            return true;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    m_temporary.clear();
    return false;
}

bool CAtomicFileWriter::Append(std::string_view bytes) {
    if (m_fd < 0 || m_failed) {
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
        m_failed = !WriteAll(m_fd, bytes);
    } else {
        m_pending.assign(bytes);
    }
    return !m_failed;
}

bool CAtomicFileWriter::Flush() {
    if (!m_pending.empty()) {
        m_failed = m_failed || !WriteAll(m_fd, m_pending);
        m_pending.clear();
    }
    return !m_failed;
}

AtomicWriteResult CAtomicFileWriter::Commit() {
    if (m_fd < 0) {
        return AtomicWriteResult::CannotCreate;
    }
    Flush();
    // No fsync: the rename already guarantees that no reader sees a partial file, and
    // a sync per output would make batch conversions many times slower.
    const bool closed = ::close(m_fd) == 0;
    m_fd = -1;
    if (m_failed || !closed) {
        Abandon();
        return AtomicWriteResult::WriteFailed;
    }
    if (!m_inPlace && ::rename(m_temporary.c_str(), m_target.c_str()) != 0) {
        Abandon();
        return AtomicWriteResult::CannotCreate;
    }
    m_temporary.clear();
    return AtomicWriteResult::Written;
}

void CAtomicFileWriter::Abandon() {
    m_pending.clear();
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temporary.empty()) {
        ::unlink(m_temporary.c_str());
        m_temporary.clear();
    }
}

AtomicWriteResult WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes) {
    CAtomicFileWriter writer(target);
    if (!writer.Open()) {
        return AtomicWriteResult::CannotCreate;
    }
    writer.Append(bytes);
    return writer.Commit();
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
