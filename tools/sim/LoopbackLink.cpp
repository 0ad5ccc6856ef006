#include "sim/LoopbackLink.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include "platform/rapi/WireCodec.h"

namespace kiro::sim {
namespace {

constexpr std::size_t kSecretBytes = 32;
constexpr int kSecretTimeoutMs = 1000;

std::string SystemReason() {
    return std::strerror(errno);
}

// Compares in a time that does not depend on where the texts first differ.
bool SameSecret(const std::string& given, const std::string& secret) {
    if (given.size() != secret.size()) {
        return false;
    }
    unsigned char difference = 0;
    for (std::size_t i = 0; i < secret.size(); ++i) {
        difference |= static_cast<unsigned char>(given[i] ^ secret[i]);
    }
    return difference == 0;
}

}  // namespace

LoopbackListener ListenOnLoopback(std::uint16_t port, std::string& error) {
    LoopbackListener listener;
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 4) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        error = "cannot listen on 127.0.0.1:" + std::to_string(port) + ": " + SystemReason();
        if (fd >= 0) {
            ::close(fd);
        }
        return listener;
    }
    listener.fd = fd;
    listener.port = ntohs(address.sin_port);
    return listener;
}

std::string MakeLinkSecret() {
    unsigned char bytes[kSecretBytes] = {};
    std::ifstream random("/dev/urandom", std::ios::binary);
    random.read(reinterpret_cast<char*>(bytes), sizeof bytes);
    if (!random) {
        return "";
    }
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string secret;
    for (const unsigned char byte : bytes) {
        secret.push_back(kDigits[byte >> 4]);
        secret.push_back(kDigits[byte & 0xF]);
    }
    return secret;
}

std::string WriteLinkFile(const std::string& path, std::uint16_t port, const std::string& secret) {
    if (secret.empty()) {
        return "no secret could be made for the loopback link";
    }
    // A fresh file, so that no one else can already hold it open; never through a link.
    ::unlink(path.c_str());
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        return "cannot write the link file " + path + ": " + SystemReason();
    }
    const std::string text = std::to_string(port) + " " + secret + "\n";
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    const std::string reason = SystemReason();
    ::close(fd);
    return written ? "" : "cannot write the link file " + path + ": " + reason;
}

bool PresentsSecret(int fd, const std::string& secret) {
    std::string given;
    if (wire::ReceiveFrame(fd, given, kSecretTimeoutMs) != wire::FrameStatus::Ok ||
        !SameSecret(given, secret)) {
        return false;
    }
    // Small request and reply frames must not wait for the network's batching.
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return true;
}

}  // namespace kiro::sim
