#include "sim/SimProcess.h"

#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "cli/RunProgram.h"

namespace kiro::test {
namespace {

bool CanConnect(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

}  // namespace

bool WaitForListener(const std::string& socketPath) {
    for (int i = 0; i < 500 && !CanConnect(socketPath); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return CanConnect(socketPath);
}

CSimProcess::CSimProcess(const std::vector<std::string>& extraArgs, bool demo)
    : m_socket((m_dir.Path() / "h.sock").string()), m_root(m_dir.Path() / "handheld") {
    std::vector<std::string> args = {demo ? "--demo" : "--root", Root().string(), "--socket",
                                     m_socket};
    if (!demo) {
        std::filesystem::create_directories(Root());
    }
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    m_pid = SpawnProgram(KIROSCAN_SIM_PATH, args, {}, -1, -1);
    WaitForListener(m_socket);
}

CSimProcess::~CSimProcess() {
    Stop();
}

int CSimProcess::Stop() {
    if (m_pid <= 0) {
        return -1;
    }
    ::kill(m_pid, SIGTERM);
    const int status = WaitForExit(m_pid);
    m_pid = -1;
    return status;
}

void CSimProcess::Kill() {
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }
}

CSocketEnvironment::CSocketEnvironment(const std::string& socketPath) {
    const char* saved = std::getenv("KIROSCAN_SOCKET");
    m_hadValue = saved != nullptr;
    m_saved = m_hadValue ? saved : "";
    ::setenv("KIROSCAN_SOCKET", socketPath.c_str(), 1);
}

CSocketEnvironment::~CSocketEnvironment() {
    if (m_hadValue) {
        ::setenv("KIROSCAN_SOCKET", m_saved.c_str(), 1);
    } else {
        ::unsetenv("KIROSCAN_SOCKET");
    }
}

}  // namespace kiro::test
