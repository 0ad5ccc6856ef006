#include "log/ActivityLog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/AtomicFile.h"

namespace kiro {

CActivityLog::CActivityLog(const IClock& clock) : m_clock(clock) {}

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
    if (IsReadableFile(m_logFileName)) {
        OpenFile(0);
        return;
    }
    StartNewLogFile();
}

bool CActivityLog::StartNewLogFile() {
    if (!OpenFile(O_CREAT | O_TRUNC)) {
        return false;
    }
    WriteWhole(FormatLogHeader(m_clock.LocalNow()));
    return true;
}

bool CActivityLog::OpenFile(int extraFlags) {
    CloseLog();
    m_fd = ::open(m_logFileName.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | extraFlags, 0666);
    return m_fd >= 0;
}

void CActivityLog::WriteLogEntry(std::string_view line) {
    if (!IsEnabled() || !IsOpen()) {
        return;
    }
    WriteWhole(ToTextMode(line));
}

bool CActivityLog::WriteWhole(std::string_view text) {
    struct stat before {};
    const bool sized = ::fstat(m_fd, &before) == 0;
    ssize_t written;
    do {
        written = ::write(m_fd, text.data(), text.size());
    } while (written < 0 && errno == EINTR);
    if (written == static_cast<ssize_t>(text.size())) {
        return true;
    }
    // A full disk took part of the line: cut it off so the log holds only whole lines.
    if (written > 0 && sized) {
        if (::ftruncate(m_fd, before.st_size) != 0) {
            return false;
        }
    }
    return false;
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
