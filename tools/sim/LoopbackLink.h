#pragma once

// The emulated handheld's second door, for the Windows build's tests: a TCP listener on
// the loopback address, which a stand-in remote API library running under wine can reach
// (wine has no Unix-domain sockets). Any local process can reach a TCP port, so a client
// must first present a secret that the handheld writes into a file only the user can read.

#include <poll.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>
#include <vector>

namespace kiro::sim {

struct LoopbackListener {
    int fd = -1;
    std::uint16_t port = 0;
};

// Listens on 127.0.0.1:port (0: a free port) without blocking on accept; fd -1 and
// `error` set when it cannot.
LoopbackListener ListenOnLoopback(std::uint16_t port, std::string& error);

// A fresh secret: 32 random bytes as 64 hexadecimal digits.
std::string MakeLinkSecret();

// Creates the link file at path, readable and writable by the user alone, and returns it
// open for writing. It never writes through or removes another file: only a link file
// that an earlier run of this user left behind (a regular file of the user's own with
// mode 0600, holding a port and a secret, whose port no longer answers) is replaced.
// -1 and `error` set, naming what is in the way, otherwise.
int CreateLinkFile(const std::string& path, std::string& error);

// Writes "PORT SECRET" into the file CreateLinkFile opened; "" or a sentence saying why not.
std::string WriteLinkFile(int fd, const std::string& path, std::uint16_t port,
                          const std::string& secret);

// Loopback clients that have not yet presented the secret. None of them can hold up the
// handheld's owner: their bytes are taken as they arrive and never waited for, each has
// kSecretDeadline to present the secret, and at most kMaxWaitingClients wait at once (a
// newcomer drops the longest waiting).
class CSecretGate {
public:
    static constexpr std::chrono::milliseconds kSecretDeadline{250};
    static constexpr std::size_t kMaxWaitingClients = 16;

    CSecretGate(std::string secret, std::FILE* log);
    ~CSecretGate();
    CSecretGate(const CSecretGate&) = delete;
    CSecretGate& operator=(const CSecretGate&) = delete;

    // Takes a freshly accepted client.
    void Admit(int fd);
    // Adds the waiting clients to a poll set.
    void Watch(std::vector<pollfd>& fds) const;
    // Milliseconds until the next deadline; -1 when no client waits.
    int MillisecondsToDeadline() const;
    // Takes what each waiting client has sent. Returns the clients that have presented the
    // secret, now the caller's; closes those that sent anything else, left, or are late.
    std::vector<int> Advance();

private:
    struct Waiting {
        int fd = -1;
        std::chrono::steady_clock::time_point deadline;
        std::string received;
    };

    void Drop(const Waiting& client, const char* why) const;

    std::string m_expected;  // the secret's frame, as a client sends it
    std::FILE* m_log;
    std::deque<Waiting> m_waiting;
};

}  // namespace kiro::sim
