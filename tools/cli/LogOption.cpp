#include "cli/LogOption.h"

#include <cstdio>

namespace kiro::cli {

bool OpenCommandLineLog(CActivityLog& log, const std::string& fileName) {
    if (fileName.empty()) {
        return true;
    }
    log.SetLogFileName(fileName);
    log.SetLogEvents(1);
    log.OpenLogAtStartup();
    if (!log.IsOpen()) {
        std::fprintf(stderr, "kiroconv-cli: cannot open the log file %s\n", fileName.c_str());
        return false;
    }
    return true;
}

}  // namespace kiro::cli
