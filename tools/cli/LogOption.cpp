#include "cli/LogOption.h"

#include <cstdio>
#include <cstring>

#include "cli/TerminalText.h"

namespace kiro::cli {

bool OpenCommandLineLog(CActivityLog& log, const std::string& fileName) {
    if (fileName.empty()) {
        return true;
    }
    log.SetLogFileName(fileName);
    log.SetLogEvents(1);
    log.OpenLogAtStartup();
    if (!log.IsOpen()) {
        PrintLine(stderr, "kiroconv-cli: cannot open the log file %s: %s\n", fileName,
                  std::strerror(log.LastError()));
        return false;
    }
    return true;
}

bool ReportLogFailure(const CActivityLog& log) {
    if (log.LastError() == 0) {
        return true;
    }
    PrintLine(stderr, "kiroconv-cli: could not write to the log file %s: %s\n", log.LogFileName(),
              std::strerror(log.LastError()));
    return false;
}

}  // namespace kiro::cli
