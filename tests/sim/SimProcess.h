#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "support/TempDir.h"

namespace kiro::test {

// A kiroscan-sim process serving a temporary folder on a temporary socket, stopped
// (and its socket checked gone) when the object goes. In a Windows test program under
// wine, kiroconv_wine_driver starts it on Linux with its loopback door: SocketPath() is
// then the link file that the stand-in remote API library reads.
class CSimProcess {
public:
    // Fills the root with the demo handheld when demo is true.
    explicit CSimProcess(const std::vector<std::string>& extraArgs = {}, bool demo = true);
    ~CSimProcess();
    CSimProcess(const CSimProcess&) = delete;
    CSimProcess& operator=(const CSimProcess&) = delete;

    // False when no handheld could be started (a Windows test run without the driver).
    bool Running() const { return !m_root.empty(); }
    const std::string& SocketPath() const { return m_socket; }
    const std::filesystem::path& Root() const { return m_root; }
    std::string EnvironmentEntry() const { return "KIROSCAN_SOCKET=" + m_socket; }
    // Ends the process with SIGTERM; returns its exit status.
    int Stop();
    void Kill();

private:
    CTempDir m_dir;
    std::string m_socket;
    std::filesystem::path m_root;
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
