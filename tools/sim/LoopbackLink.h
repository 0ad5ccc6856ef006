#pragma once

// The emulated handheld's second door, for the Windows build's tests: a TCP listener on
// the loopback address, which a stand-in remote API library running under wine can reach
// (wine has no Unix-domain sockets). Any local process can reach a TCP port, so a client
// must first present a secret that the handheld writes into a file only the user can read.

#include <cstdint>
#include <string>

namespace kiro::sim {

struct LoopbackListener {
    int fd = -1;
    std::uint16_t port = 0;
};

// Listens on 127.0.0.1:port (0: a free port); fd -1 and `error` set when it cannot.
LoopbackListener ListenOnLoopback(std::uint16_t port, std::string& error);

// A fresh secret: 32 random bytes as 64 hexadecimal digits.
std::string MakeLinkSecret();

// Writes "PORT SECRET" into path, readable and writable by the user alone, replacing a
// link file left behind; "" or a sentence saying why not.
std::string WriteLinkFile(const std::string& path, std::uint16_t port, const std::string& secret);

// True when the client's first frame, within a second, is the secret.
bool PresentsSecret(int fd, const std::string& secret);

}  // namespace kiro::sim
