// The emulated handheld for a Windows test program under wine: kiroconv_wine_driver
// starts and stops it on Linux.
#include <stdlib.h>

#include "sim/SimProcess.h"
#include "support/DriverRequests.h"

namespace kiro::test {

CSimProcess::CSimProcess(const std::vector<std::string>& extraArgs, bool /*demo*/) {
    std::vector<std::string> request = {"start-handheld"};
    request.insert(request.end(), extraArgs.begin(), extraArgs.end());
    const std::vector<std::string> answer = AskDriver(request);
    if (answer.size() == 3 && answer[0] == "ok") {
        m_socket = answer[1];
        m_root = answer[2];
        m_pid = 1;
    }
}

CSimProcess::~CSimProcess() {
    if (Running()) {
        Stop();
        AskDriver({"forget-handheld"});
    }
}

int CSimProcess::Stop() {
    if (m_pid <= 0) {
        return -1;
    }
    m_pid = -1;
    const std::vector<std::string> answer = AskDriver({"stop-handheld"});
    return answer.size() == 2 ? std::atoi(answer[1].c_str()) : -1;
}

void CSimProcess::Kill() {
    if (m_pid > 0) {
        m_pid = -1;
        AskDriver({"kill-handheld"});
    }
}

// The stand-in library reads the link file's name from the C runtime's environment.
CSocketEnvironment::CSocketEnvironment(const std::string& socketPath) {
    const char* saved = std::getenv("KIROSCAN_LINK_FILE");
    m_hadValue = saved != nullptr;
    m_saved = m_hadValue ? saved : "";
    _putenv_s("KIROSCAN_LINK_FILE", socketPath.c_str());
}

CSocketEnvironment::~CSocketEnvironment() {
    _putenv_s("KIROSCAN_LINK_FILE", m_hadValue ? m_saved.c_str() : "");
}

}  // namespace kiro::test
