#include "log/ActivityLog.h"

#include <fcntl.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "platform/AtomicFile.h"
#include "platform/DisplayText.h"
#include "platform/FileCalls.h"
#include "platform/FileChecks.h"
#include "platform/RegularFile.h"
#include "platform/SystemError.h"

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
    if (!RenameReplacing(temporary, target)) {
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
    const std::filesystem::path logFile = PathFromUtf8(m_logFileName);
    const std::optional<FileIdentity> info = IdentityBehind(logFile);
    if (IsReadableFile(logFile) && info && info->regular && info->size > 0) {
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
    const std::filesystem::path logFile = PathFromUtf8(m_logFileName);
    int error = 0;
    if (!FollowsOnlyTrustedLinks(logFile, error)) {
        return Fail(error);
    }
    // Never waits on a FIFO or device, and writes only to a regular file; a name that was
    // no link just now is not followed should one have been put there since.
    const std::optional<FileIdentity> named = IdentityOf(logFile);
    const int noFollow = named && named->link ? 0 : kOpenNoFollow;
    m_fd = OpenFile(logFile, O_WRONLY | O_APPEND | kOpenNonBlocking | noFollow);
    if (m_fd < 0) {
        return Fail(errno);
    }
    const std::optional<FileIdentity> info = IdentityOfOpenFile(m_fd);
    error = !info ? errno : info->regular ? 0 : kNotRegularFileError;
    if (error != 0) {
        CloseLog();
        return Fail(error);
    }
    return true;
}

bool CActivityLog::StartNewLogFile() {
    CloseLog();
    m_error = 0;
    if (PathFromUtf8(m_logFileName).filename().empty()) {
        return Fail(EISDIR);
    }
    // Through a symbolic link the file it names is replaced and the link stays, unless the
    // link may have been planted by another user.
    int error = 0;
    if (!FollowsOnlyTrustedLinks(PathFromUtf8(m_logFileName), error)) {
        return Fail(error);
    }
    const std::optional<std::filesystem::path> replaceable =
        ReplaceableFileAt(PathFromUtf8(m_logFileName), error);
    if (!replaceable) {
        return Fail(error);
    }
    const std::filesystem::path& target = *replaceable;
    RemoveStaleTemporaries(target.has_parent_path() ? target.parent_path() : ".");
    const std::filesystem::path temporary = TemporaryPathFor(target);
    const int fd = OpenFile(temporary, O_WRONLY | O_APPEND | O_CREAT | O_EXCL);
    if (fd < 0) {
        return Fail(errno);
    }
    m_fd = fd;
    // The file keeps this descriptor once renamed, so later entries go to it.
    if (!WriteWhole(FormatLogHeader(m_clock.LocalNow())) ||
        !RenameIntoPlace(temporary, target, error)) {
        error = m_error != 0 ? m_error : error;
        RemoveFile(temporary);
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
    const std::int64_t written = WriteSome(m_fd, text.data(), text.size());
    if (written == static_cast<std::int64_t>(text.size())) {
        return true;
    }
    const int error = written < 0 ? errno : ENOSPC;
    // A full disk took part of the line. Cut the fragment off, but only while it is
    // still the end of the file: never cut lines another program appended after it.
    if (written > 0) {
        const std::int64_t end = CurrentOffset(m_fd);
        const std::optional<FileIdentity> info = IdentityOfOpenFile(m_fd);
        if (end >= written && info && info->size == end) {
            TruncateFile(m_fd, end - written);
        }
    }
    return Fail(error);
}

void CActivityLog::FlushLog() {
    // Every write goes straight to the file, so there is no buffer to empty here.
}

void CActivityLog::CloseLog() {
    if (m_fd >= 0) {
        CloseFile(m_fd);
        m_fd = -1;
    }
}

}  // namespace kiro
