#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "sim/SimFileSystem.h"

namespace kiro::sim {

// Faults the emulated handheld can be told to show, for tests.
struct SimFaults {
    std::string refuseDeletePattern;                 // names matching this glob are not deleted
    std::optional<std::uint64_t> failReadAfter;      // each file's reads fail past this many bytes
    std::optional<std::uint64_t> dropAfterRequests;  // the connection is dropped after this many
    int greetingDelayMs = 0;                         // the greeting is answered only after this
};

// One client's view of the handheld: its open files and its request count.
class CSimSession {
public:
    CSimSession(const CSimFileSystem& files, const SimFaults& faults, std::FILE* log);
    ~CSimSession();
    CSimSession(const CSimSession&) = delete;
    CSimSession& operator=(const CSimSession&) = delete;

    // The reply to one request frame after the greeting, or nothing when the
    // connection must be dropped (malformed request, or a fault).
    std::optional<std::string> Handle(std::string_view request);

private:
    struct OpenFile {
        int fd = -1;
        std::uint64_t bytesRead = 0;
    };

    std::optional<std::string> Find(std::string_view payload);
    std::optional<std::string> Open(std::string_view payload);
    std::optional<std::string> Read(std::string_view payload);
    std::optional<std::string> Size(std::string_view payload);
    std::optional<std::string> Close(std::string_view payload);
    std::optional<std::string> Delete(std::string_view payload);
    std::optional<std::string> MakeDirectory(std::string_view payload);
    void Log(const char* format, ...) __attribute__((format(printf, 2, 3)));

    const CSimFileSystem& m_files;
    const SimFaults& m_faults;
    std::FILE* m_log;
    std::map<std::uint32_t, OpenFile> m_open;
    std::uint32_t m_nextHandle = 1;
    std::uint64_t m_requests = 0;
    std::string m_readBuffer;
};

// Serves the handheld on a Unix-domain socket, one client at a time; a second one
// is told that the handheld is busy.
class CSimServer {
public:
    CSimServer(const CSimFileSystem& files, SimFaults faults, std::FILE* log);
    ~CSimServer();
    CSimServer(const CSimServer&) = delete;
    CSimServer& operator=(const CSimServer&) = delete;

    // Binds the socket (mode 0600); false with a reason when it cannot.
    bool Listen(const std::string& socketPath, std::string& error);
    // Serves until wakeFd becomes readable; removes the socket on the way out.
    void Run(int wakeFd);

private:
    void AcceptClient();
    bool ClientHasLeft() const;
    void RefuseClient(int fd);
    bool GreetClient(int fd, int wakeFd);
    void ServeRequest(int wakeFd);
    void DropClient();

    const CSimFileSystem& m_files;
    SimFaults m_faults;
    std::FILE* m_log;
    std::string m_socketPath;
    int m_listenFd = -1;
    int m_clientFd = -1;
    bool m_clientGreeted = false;
    std::optional<CSimSession> m_session;
};

}  // namespace kiro::sim
