#pragma once

#include <string>

#include "log/ActivityLog.h"
#include "platform/Clock.h"
#include "platform/UserName.h"

namespace kiro::cli {

// Opens the activity log named by --log, as the desktop program does with logging
// on: an existing file is continued, a new one gets its header. An empty name
// leaves logging off. Reports on standard error and returns false when the file
// cannot be opened, so that no work goes unrecorded.
bool OpenCommandLineLog(CActivityLog& log, const std::string& fileName);

// What a command that logs starts with: the system's clock and user, and the log named
// by --log, opened by Open (false when it cannot be, after saying why).
struct CommandLineLogging {
    bool Open(const std::string& fileName) { return OpenCommandLineLog(log, fileName); }

    CSystemClock clock;
    CSystemUserName user;
    CActivityLog log{clock};
};

// Says on standard error when a log line could not be written, with the system's
// reason; false then, so the command can exit with a failure.
bool ReportLogFailure(const CActivityLog& log);

}  // namespace kiro::cli
