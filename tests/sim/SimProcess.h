#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "support/TempDir.h"

namespace kiro::test {

// A kiroscan-sim process serving a temporary folder on a temporary socket, stopped
// (and its socket checked gone) when the object goes.
class CSimProcess {
public:
    // Fills the root with the demo handheld when demo is true.
    explicit CSimProcess(const std::vector<std::string>& extraArgs = {}, bool demo = true);
    ~CSimProcess();
    CSimProcess(const CSimProcess&) = delete;
    CSimProcess& operator=(const CSimProcess&) = delete;

    const std::string& SocketPath() const { return m_socket; }
    std::filesystem::path Root() const { return m_dir.Path() / "handheld"; }
    std::string EnvironmentEntry() const { return "KIROSCAN_SOCKET=" + m_socket; }
    // Ends the process with SIGTERM; returns its exit status.
    int Stop();
    void Kill();

private:
    CTempDir m_dir;
    std::string m_socket;
    pid_t m_pid = -1;
};

// Waits up to five seconds for a program to listen at a socket path; false if none does.
bool WaitForListener(const std::string& socketPath);

// Points this process's remote API client at a socket while alive.
class CSocketEnvironment {
public:
    explicit CSocketEnvironment(const std::string& socketPath);
    ~CSocketEnvironment();

private:
    std::string m_saved;
    bool m_hadValue;
};

}  // namespace kiro::test
