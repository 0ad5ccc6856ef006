#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/rapi/BulkMemory.h"
#include "platform/rapi/WireCodec.h"
#include "sim/LoopbackLink.h"
#include "sim/OwnFile.h"
#include "sim/SimFileSystem.h"

namespace kiro::sim {

// Faults the emulated handheld can be told to show, for tests.
struct SimFaults {
    std::string refuseDeletePattern;                 // names matching this glob are not deleted
    std::optional<std::uint64_t> failReadAfter;      // each file's reads fail past this many bytes
    std::optional<std::uint64_t> dropAfterRequests;  // the connection is dropped after this many
    int greetingDelayMs = 0;                         // the greeting is answered only after this
};

// The handheld as its client sees it: the client's open files and request count.
// Its buffers outlive each client, so that a handheld that has served before
// answers without fresh memory.
class CSimSession {
public:
    // A reply: its fields (the operation byte first), then the file bytes of a read,
    // which are sent from where they lie. Both stay valid until the next request.
    struct Reply {
        std::string_view fields;
        std::string_view data;
    };

    CSimSession(const CSimFileSystem& files, const SimFaults& faults, std::FILE* log);
    ~CSimSession();
    CSimSession(const CSimSession&) = delete;
    CSimSession& operator=(const CSimSession&) = delete;

    // Forgets the last client: closes its files and starts counting afresh.
    void Restart();
    // The reply to one request frame after the greeting, or nothing when the
    // connection must be dropped (malformed request, or a fault).
    std::optional<Reply> Answer(std::string_view request);
    // The same reply as one body.
    std::optional<std::string> Handle(std::string_view request);

private:
    struct OpenFile {
        int fd = -1;
        std::uint64_t bytesRead = 0;
    };

    bool Dispatch(std::string_view request);
    bool Find(std::string_view payload);
    bool Open(std::string_view payload);
    bool Read(std::string_view payload);
    bool Size(std::string_view payload);
    bool Close(std::string_view payload);
    bool Delete(std::string_view payload);
    bool MakeDirectory(std::string_view payload);
    void AnswerOk(wire::Op op, bool ok);
    std::string_view ReadInto(int fd, std::uint32_t size);
    void Log(const char* format, ...) __attribute__((format(printf, 2, 3)));

    const CSimFileSystem& m_files;
    const SimFaults& m_faults;
    std::FILE* m_log;
    std::map<std::uint32_t, OpenFile> m_open;
    std::uint32_t m_nextHandle = 1;
    std::uint64_t m_requests = 0;
    wire::CWireWriter m_reply{wire::Op::Hello};
    std::vector<SimEntry> m_entries;
    std::string_view m_replyData;
    rapi::CBulkMemory m_readBuffer;
};

// Serves the handheld on a Unix-domain socket (and, when asked, on the loopback network),
// one client at a time; a second one is told that the handheld is busy.
class CSimServer {
public:
    CSimServer(const CSimFileSystem& files, SimFaults faults, std::FILE* log);
    ~CSimServer();
    CSimServer(const CSimServer&) = delete;
    CSimServer& operator=(const CSimServer&) = delete;

    // Binds the socket (mode 0600), replacing only a socket of the user's own that no
    // handheld listens on any more; false with a reason when it cannot.
    bool Listen(const std::string& socketPath, std::string& error);
    // Also serves clients that reach listenFd (a loopback TCP listener, now owned here)
    // and present the secret first; the link file that holds the secret is removed on the
    // way out.
    void ServeLoopback(int listenFd, std::string secret, COwnFile linkFile);
    // Serves until wakeFd becomes readable; removes the socket on the way out.
    void Run(int wakeFd);

private:
    void AcceptClient(int fd);
    void AcceptLoopbackClients();
    bool ClientHasLeft() const;
    void RefuseClient(int fd);
    bool GreetClient(int fd, int wakeFd);
    void ServeRequest(int wakeFd);
    void DropClient();

    const CSimFileSystem& m_files;
    SimFaults m_faults;
    std::FILE* m_log;
    COwnFile m_socketFile;
    int m_listenFd = -1;
    int m_loopbackFd = -1;
    std::unique_ptr<CSecretGate> m_gate;
    COwnFile m_linkFile;
    int m_clientFd = -1;
    bool m_clientGreeted = false;
    CSimSession m_session;
    std::string m_request;
};

}  // namespace kiro::sim
