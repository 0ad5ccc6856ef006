#include "sim/LoopbackLink.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <optional>

#include "platform/rapi/SocketPlace.h"
#include "platform/rapi/WireCodec.h"
#include "sim/OwnFile.h"

namespace kiro::sim {
namespace {

constexpr std::size_t kSecretBytes = 32;
constexpr const char* kLinkFile = "link file";
// "65535 " and 64 digits and a line end, with room to spare for a file that is no link file.
constexpr std::size_t kLinkFileRoom = 128;

using SteadyClock = std::chrono::steady_clock;

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

sockaddr_in LoopbackAddress(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

bool PortAnswers(std::uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in address = LoopbackAddress(port);
    const bool answers =
        fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0) {
        ::close(fd);
    }
    return answers;
}

// The port of a link file's text "PORT SECRET\n", or nothing when it is no such text.
std::optional<std::uint16_t> LinkFilePort(const std::string& text) {
    const std::size_t space = text.find(' ');
    if (space == std::string::npos || space == 0 || space > 5 ||
        text.size() != space + 1 + 2 * kSecretBytes + 1 || text.back() != '\n') {
        return std::nullopt;
    }
    const auto digits = [&](std::size_t from, std::size_t to, const char* allowed) {
        return std::all_of(text.begin() + static_cast<std::ptrdiff_t>(from),
                           text.begin() + static_cast<std::ptrdiff_t>(to),
                           [allowed](char c) { return std::strchr(allowed, c) != nullptr; });
    };
    if (!digits(0, space, "0123456789") ||
        !digits(space + 1, text.size() - 1, "0123456789abcdef")) {
        return std::nullopt;
    }
    const unsigned long port = std::stoul(text.substr(0, space));
    if (port == 0 || port > 65535) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(port);
}

std::string ReadSmallFile(int fd) {
    std::string text(kLinkFileRoom, '\0');
    const ssize_t got = ::read(fd, text.data(), text.size());
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return text;
}

// Why the file at path is not a link file this user's earlier run left behind, or "".
std::string WhyNotStale(const std::string& path, const struct stat& seen) {
    if (S_ISLNK(seen.st_mode)) {
        return "it is a symbolic link";
    }
    if (!S_ISREG(seen.st_mode)) {
        return "it is not a regular file";
    }
    if (seen.st_uid != ::geteuid()) {
        return "it belongs to another user, " + wire::DescribeUser(seen.st_uid);
    }
    if ((seen.st_mode & 07777) != 0600) {
        char mode[16];
        std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(seen.st_mode & 07777));
        return std::string("its mode is ") + mode + ", not a link file's 0600";
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return "it cannot be read: " + SystemReason();
    }
    struct stat opened {};
    const bool same =
        ::fstat(fd, &opened) == 0 && opened.st_dev == seen.st_dev && opened.st_ino == seen.st_ino;
    const std::string text = same ? ReadSmallFile(fd) : "";
    ::close(fd);
    if (!same) {
        return "it changed while it was examined";
    }
    const std::optional<std::uint16_t> port = LinkFilePort(text);
    if (!port) {
        return "it does not hold a port and a secret, as a link file does";
    }
    if (PortAnswers(*port)) {
        return "a handheld may still use it: something answers on 127.0.0.1:" +
               std::to_string(*port);
    }
    return "";
}

// Removes a link file an earlier run left behind; "" or why what is there stays.
std::string RemoveStaleLinkFile(const std::string& path) {
    struct stat seen {};
    if (::lstat(path.c_str(), &seen) != 0) {
        return errno == ENOENT ? ""
                               : "cannot examine the link file " + path + ": " + SystemReason();
    }
    const std::string reason = WhyNotStale(path, seen);
    if (!reason.empty()) {
        return RefusalToReplace(kLinkFile, path, reason);
    }
    if (!StillTheFile(path, seen.st_dev, seen.st_ino) || ::unlink(path.c_str()) != 0) {
        return RefusalToReplace(kLinkFile, path, "it changed while it was examined");
    }
    return "";
}

}  // namespace

LoopbackListener ListenOnLoopback(std::uint16_t port, std::string& error) {
    LoopbackListener listener;
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_in address = LoopbackAddress(port);
    socklen_t length = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, SOMAXCONN) != 0 ||
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

int CreateLinkFile(const std::string& path, std::string& error) {
    // A fresh file, so that no one else can already hold it open; never through a link.
    constexpr int kFlags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
    int fd = ::open(path.c_str(), kFlags, 0600);
    if (fd < 0 && errno == EEXIST) {
        error = RemoveStaleLinkFile(path);
        if (!error.empty()) {
            return -1;
        }
        fd = ::open(path.c_str(), kFlags, 0600);
    }
    // The mode asked for at creation is cut by the umask; the owner needs both bits.
    if (fd < 0 || ::fchmod(fd, 0600) != 0) {
        error = "cannot create the link file " + path + ": " + SystemReason();
        if (fd >= 0) {
            ::close(fd);
        }
        return -1;
    }
    return fd;
}

std::string WriteLinkFile(int fd, const std::string& path, std::uint16_t port,
                          const std::string& secret) {
    const std::string text = std::to_string(port) + " " + secret + "\n";
    if (::write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
        return "cannot write the link file " + path + ": " + SystemReason();
    }
    return "";
}

CSecretGate::CSecretGate(std::string secret, std::FILE* log) : m_log(log) {
    wire::AppendU32(m_expected, static_cast<std::uint32_t>(secret.size()));
    m_expected += secret;
}

CSecretGate::~CSecretGate() {
    for (const Waiting& client : m_waiting) {
        ::close(client.fd);
    }
}

void CSecretGate::Drop(const Waiting& client, const char* why) const {
    ::close(client.fd);
    if (m_log != nullptr) {
        std::fprintf(m_log, "kiroscan-sim: refused a loopback client: %s\n", why);
    }
}

void CSecretGate::Admit(int fd) {
    if (m_waiting.size() >= kMaxWaitingClients) {
        Drop(m_waiting.front(), "too many clients waited to present the secret");
        m_waiting.pop_front();
    }
    m_waiting.push_back({fd, SteadyClock::now() + kSecretDeadline, {}});
}

void CSecretGate::Watch(std::vector<pollfd>& fds) const {
    for (const Waiting& client : m_waiting) {
        fds.push_back({client.fd, POLLIN, 0});
    }
}

int CSecretGate::MillisecondsToDeadline() const {
    if (m_waiting.empty()) {
        return -1;
    }
    const auto earliest = std::min_element(
        m_waiting.begin(), m_waiting.end(),
        [](const Waiting& a, const Waiting& b) { return a.deadline < b.deadline; });
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(earliest->deadline - SteadyClock::now());
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(0, left.count()));
}

std::vector<int> CSecretGate::Advance() {
    std::vector<int> admitted;
    const auto now = SteadyClock::now();
    std::deque<Waiting> still;
    for (Waiting& client : m_waiting) {
        // Only the secret's frame is taken: what follows it is the client's greeting.
        char bytes[128];
        const std::size_t wanted =
            std::min(sizeof bytes, m_expected.size() - client.received.size());
        const ssize_t got = ::recv(client.fd, bytes, wanted, MSG_DONTWAIT);
        if (got > 0) {
            client.received.append(bytes, static_cast<std::size_t>(got));
        } else if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
            Drop(client, "it left without the secret");
            continue;
        }
        if (client.received.size() == m_expected.size()) {
            if (SameSecret(client.received, m_expected)) {
                admitted.push_back(client.fd);
            } else {
                Drop(client, "a wrong secret");
            }
        } else if (now >= client.deadline) {
            Drop(client, "no secret in time");
        } else {
            still.push_back(std::move(client));
        }
    }
    m_waiting = std::move(still);
    return admitted;
}

}  // namespace kiro::sim
