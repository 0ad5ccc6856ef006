#pragma once

#include <string>
#include <string_view>

#include "seams/Clock.h"

namespace kiro {

inline constexpr const char* kDefaultLogFileName = "LogFile.log";

// Whether entries are recorded at all.
enum class Logging { Off, On };

// The activity log file: created with a three-line header, or continued; one line
// per event, each on disk as soon as it is written. Entries reach the file only
// while logging is on and the file is open.
class CActivityLog {
public:
    explicit CActivityLog(const IClock& clock);
    ~CActivityLog();
    CActivityLog(const CActivityLog&) = delete;
    CActivityLog& operator=(const CActivityLog&) = delete;

    // The stored LogEvents value: on exactly when it is 1. A value that was never
    // switched reads back as it was stored.
    int LogEvents() const;
    void SetLogEvents(int logEvents);
    void SetLogging(Logging logging) { m_logging = logging; }
    bool IsEnabled() const { return m_logging == Logging::On; }
    const std::string& LogFileName() const { return m_logFileName; }
    void SetLogFileName(std::string name) { m_logFileName = std::move(name); }
    bool IsOpen() const { return m_fd >= 0; }

    // At start-up with logging on: continue an existing file, else start a new one.
    void OpenLogAtStartup();
    // Creates LogFileName anew (replacing a regular file, or the one a symbolic link
    // names) and writes the header. The new file appears under its name only once the
    // header is on it. Anything else under the name is refused and left alone.
    bool StartNewLogFile();
    // Appends one finished line ending in "\n", with control characters inside it
    // shown escaped. A line that cannot be written whole is dropped; false then, and
    // LastError() tells why.
    bool WriteLogEntry(std::string_view line);
    void FlushLog();
    void CloseLog();

    // The system's reason (an errno value, or kNotRegularFileError for a path that names
    // no regular file) for the last failure to open the log or write a line; 0 when none
    // since the log was last opened.
    int LastError() const { return m_error; }

private:
    bool OpenForAppend();
    bool WriteWhole(std::string_view text);
    bool Fail(int error);

    const IClock& m_clock;
    Logging m_logging = Logging::Off;
    int m_storedLogEvents = 0;
    std::string m_logFileName = kDefaultLogFileName;
    int m_fd = -1;
    int m_error = 0;
};

// "\n" becomes CR LF, as a text-mode file stores it.
std::string ToTextMode(std::string_view text);

// The three header lines, with their line ends.
std::string FormatLogHeader(const std::tm& created);

}  // namespace kiro
