#include "cli/LogOption.h"

#include <cstdio>

#include "platform/RegularFile.h"

namespace kiro::cli {

bool OpenCommandLineLog(CActivityLog& log, const std::string& fileName) {
    if (fileName.empty()) {
        return true;
    }
    log.SetLogFileName(fileName);
    log.SetLogging(Logging::On);
    log.OpenLogAtStartup();
    if (!log.IsOpen()) {
        std::fprintf(stderr, "kiroconv-cli: cannot open the log file %s: %s\n", fileName.c_str(),
                     DescribeSystemError(log.LastError()).c_str());
        return false;
    }
    return true;
}

bool ReportLogFailure(const CActivityLog& log) {
    if (log.LastError() == 0) {
        return true;
    }
    std::fprintf(stderr, "kiroconv-cli: could not write to the log file %s: %s\n",
                 log.LogFileName().c_str(), DescribeSystemError(log.LastError()).c_str());
    return false;
}

}  // namespace kiro::cli
