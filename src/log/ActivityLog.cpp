#include "log/ActivityLog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "platform/AtomicFile.h"
#include "platform/DisplayText.h"
#include "platform/RegularFile.h"

namespace kiro {

namespace {

// What was checked before the header was written may have changed meanwhile: something
// that is not a regular file is still never renamed over.
bool StillReplaceable(const std::filesystem::path& target, int& error) {
    const std::optional<std::filesystem::path> now = ReplaceableFileAt(target, error);
    if (now && *now != target) {
        error = kNotRegularFileError;  // it has become a link since
        return false;
    }
    return now.has_value();
}

bool RenameIntoPlace(const std::filesystem::path& temporary, const std::filesystem::path& target,
                     int& error) {
    if (!StillReplaceable(target, error)) {
        return false;
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        error = errno;
        return false;
    }
    return true;
}

}  // namespace

CActivityLog::CActivityLog(const IClock& clock) : m_clock(clock) {}

int CActivityLog::LogEvents() const {
    if (IsEnabled()) {
        return 1;
    }
    return m_storedLogEvents == 1 ? 0 : m_storedLogEvents;
}

void CActivityLog::SetLogEvents(int logEvents) {
    m_storedLogEvents = logEvents;
    m_logging = logEvents == 1 ? Logging::On : Logging::Off;
}

CActivityLog::~CActivityLog() {
    CloseLog();
}

std::string ToTextMode(std::string_view text) {
    std::string converted;
    converted.reserve(text.size() + 8);
    for (const char c : text) {
        if (c == '\n') {
            converted.push_back('\r');
        }
        converted.push_back(c);
    }
    return converted;
}

std::string FormatLogHeader(const std::tm& created) {
    char dateLine[96];
    std::snprintf(dateLine, sizeof dateLine, "Log created %d/%d/%d at %02d:%02d:%02d\n",
                  created.tm_mon + 1, created.tm_mday, created.tm_year + 1900, created.tm_hour,
                  created.tm_min, created.tm_sec);
    std::string header = "Corvane Tech Kiro-SCAN File Conversion Utility Log File\n";
    header += dateLine;
    header += "======================================================\n";
    return ToTextMode(header);
}

void CActivityLog::OpenLogAtStartup() {
    if (!IsEnabled()) {
        return;
    }
    // An empty file has lost its header (an older run stopped before writing it):
    // start it afresh instead of continuing it.
    struct stat info {};
    if (IsReadableFile(m_logFileName) && ::stat(m_logFileName.c_str(), &info) == 0 &&
        S_ISREG(info.st_mode) && info.st_size > 0) {
        OpenForAppend();
        return;
    }
    StartNewLogFile();
}

bool CActivityLog::Fail(int error) {
    m_error = error != 0 ? error : EIO;
    return false;
}

bool CActivityLog::OpenForAppend() {
    CloseLog();
    m_error = 0;
    // Never waits on a FIFO or device, and writes only to a regular file.
    m_fd = ::open(m_logFileName.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NONBLOCK);
    if (m_fd < 0) {
        return Fail(errno);
    }
    struct stat info {};
    const int error = ::fstat(m_fd, &info) != 0 ? errno
                      : S_ISREG(info.st_mode)   ? 0
                                                : kNotRegularFileError;
    if (error != 0) {
        CloseLog();
        return Fail(error);
    }
    return true;
}

bool CActivityLog::StartNewLogFile() {
    CloseLog();
    m_error = 0;
    if (std::filesystem::path(m_logFileName).filename().empty()) {
        return Fail(EISDIR);
    }
    // Through a symbolic link the file it names is replaced and the link stays.
    int error = 0;
    const std::optional<std::filesystem::path> replaceable =
        ReplaceableFileAt(m_logFileName, error);
    if (!replaceable) {
        return Fail(error);
    }
    const std::filesystem::path& target = *replaceable;
    RemoveStaleTemporaries(target.has_parent_path() ? target.parent_path() : ".");
    const std::filesystem::path temporary = TemporaryPathFor(target);
    const int fd =
        ::open(temporary.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        return Fail(errno);
    }
    m_fd = fd;
    // The file keeps this descriptor once renamed, so later entries go to it.
    if (!WriteWhole(FormatLogHeader(m_clock.LocalNow())) ||
        !RenameIntoPlace(temporary, target, error)) {
        error = m_error != 0 ? m_error : error;
        ::unlink(temporary.c_str());
        CloseLog();
        return Fail(error);
    }
    return true;
}

bool CActivityLog::WriteLogEntry(std::string_view line) {
    if (!IsEnabled() || !IsOpen()) {
        return true;
    }
    const bool finished = line.ends_with('\n');
    if (finished) {
        line.remove_suffix(1);
    }
    std::string text = EscapeControlCharacters(line);
    if (finished) {
        text.push_back('\n');
    }
    return WriteWhole(ToTextMode(text));
}

bool CActivityLog::WriteWhole(std::string_view text) {
    ssize_t written;
    do {
        written = ::write(m_fd, text.data(), text.size());
    } while (written < 0 && errno == EINTR);
    if (written == static_cast<ssize_t>(text.size())) {
        return true;
    }
    const int error = written < 0 ? errno : ENOSPC;
    // A full disk took part of the line. Cut the fragment off, but only while it is
    // still the end of the file: never cut lines another program appended after it.
    if (written > 0) {
        const off_t end = ::lseek(m_fd, 0, SEEK_CUR);
        struct stat info {};
        if (end >= written && ::fstat(m_fd, &info) == 0 && info.st_size == end) {
            [[maybe_unused]] const int ignored = ::ftruncate(m_fd, end - written);
        }
    }
    return Fail(error);
}

void CActivityLog::FlushLog() {
    // Every write goes straight to the file, so there is no buffer to empty here.
}

void CActivityLog::CloseLog() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

}  // namespace kiro
