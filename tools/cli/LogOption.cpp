#include "cli/LogOption.h"

#include <cstdio>

#include "cli/TerminalText.h"
#include "platform/SystemError.h"

namespace kiro::cli {

bool OpenCommandLineLog(CActivityLog& log, const std::string& fileName) {
    if (fileName.empty()) {
        return true;
    }
    log.SetLogFileName(fileName);
    log.SetLogging(Logging::On);
    log.OpenLogAtStartup();
    if (!log.IsOpen()) {
        PrintLine(stderr, "kiroconv-cli: cannot open the log file %s: %s\n", fileName,
                  DescribeSystemError(log.LastError()));
        return false;
    }
    return true;
}

bool ReportLogFailure(const CActivityLog& log) {
    if (log.LastError() == 0) {
        return true;
    }
    PrintLine(stderr, "kiroconv-cli: could not write to the log file %s: %s\n", log.LogFileName(),
              DescribeSystemError(log.LastError()));
    return false;
}

}  // namespace kiro::cli
