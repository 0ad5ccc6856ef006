#include "platform/rapi/WireCodec.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>

namespace kiro::wire {
namespace {

using SteadyClock = std::chrono::steady_clock;

void AppendU32(std::string& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<char>(value >> (8 * i)));
    }
}

std::uint32_t DecodeU32(const char* at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = value << 8 | static_cast<unsigned char>(at[i]);
    }
    return value;
}

// Waits until fd is readable; false on timeout. A deadline in the past with no
// timeout requested means wait for ever.
bool WaitReadable(int fd, std::optional<SteadyClock::time_point> deadline) {
    for (;;) {
        int wait = -1;
        if (deadline) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                *deadline - SteadyClock::now());
            if (left.count() <= 0) {
                return false;
            }
            wait = static_cast<int>(left.count());
        }
        pollfd entry{fd, POLLIN, 0};
        const int ready = ::poll(&entry, 1, wait);
        if (ready > 0) {
            return true;
        }
        if (ready == 0) {
            return false;
        }
        if (errno != EINTR) {
            return true;  // let the read report the error
        }
    }
}

FrameStatus ReceiveExactly(int fd, char* into, std::size_t size,
                           std::optional<SteadyClock::time_point> deadline) {
    std::size_t done = 0;
    while (done < size) {
        if (!WaitReadable(fd, deadline)) {
            return FrameStatus::TimedOut;
        }
        const ssize_t got = ::recv(fd, into + done, size - done, 0);
        if (got == 0) {
            return done == 0 ? FrameStatus::Closed : FrameStatus::Failed;
        }
        if (got < 0) {
            if (errno == EINTR || errno == EAGAIN) {
                continue;
            }
            return FrameStatus::Failed;
        }
        done += static_cast<std::size_t>(got);
    }
    return FrameStatus::Ok;
}

}  // namespace

void CWireWriter::PutU32(std::uint32_t value) {
    AppendU32(m_bytes, value);
}

void CWireWriter::PutText(std::u16string_view text) {
    PutU32(static_cast<std::uint32_t>(text.size()));
    for (const char16_t unit : text) {
        m_bytes.push_back(static_cast<char>(unit & 0xFF));
        m_bytes.push_back(static_cast<char>(unit >> 8));
    }
}

void CWireWriter::PutBytes(std::string_view bytes) {
    PutU32(static_cast<std::uint32_t>(bytes.size()));
    m_bytes.append(bytes);
}

bool CWireReader::GetU8(std::uint8_t& value) {
    if (!m_ok || m_rest.empty()) {
        return Fail();
    }
    value = static_cast<std::uint8_t>(m_rest[0]);
    m_rest.remove_prefix(1);
    return true;
}

bool CWireReader::GetU32(std::uint32_t& value) {
    if (!m_ok || m_rest.size() < 4) {
        return Fail();
    }
    value = DecodeU32(m_rest.data());
    m_rest.remove_prefix(4);
    return true;
}

bool CWireReader::GetText(std::u16string& text, std::uint32_t maxUnits) {
    std::uint32_t units = 0;
    if (!GetU32(units) || units > maxUnits || m_rest.size() / 2 < units) {
        return Fail();
    }
    text.resize(units);
    for (std::uint32_t i = 0; i < units; ++i) {
        text[i] = static_cast<char16_t>(static_cast<unsigned char>(m_rest[2 * i]) |
                                        static_cast<unsigned char>(m_rest[2 * i + 1]) << 8);
    }
    m_rest.remove_prefix(2 * std::size_t{units});
    return true;
}

bool CWireReader::GetBytes(std::string& bytes, std::uint32_t maxBytes) {
    std::uint32_t size = 0;
    if (!GetU32(size) || size > maxBytes || m_rest.size() < size) {
        return Fail();
    }
    bytes.assign(m_rest.substr(0, size));
    m_rest.remove_prefix(size);
    return true;
}

bool SendFrame(int fd, std::string_view body) {
    std::string frame;
    frame.reserve(body.size() + 4);
    AppendU32(frame, static_cast<std::uint32_t>(body.size()));
    frame.append(body);
    std::string_view rest = frame;
    while (!rest.empty()) {
        const ssize_t sent = ::send(fd, rest.data(), rest.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent <= 0) {
            return false;
        }
        rest.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

FrameStatus ReceiveFrame(int fd, std::string& body, int timeoutMs) {
    std::optional<SteadyClock::time_point> deadline;
    if (timeoutMs >= 0) {
        deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
    }
    char header[4];
    FrameStatus status = ReceiveExactly(fd, header, sizeof header, deadline);
    if (status != FrameStatus::Ok) {
        return status;
    }
    const std::uint32_t size = DecodeU32(header);
    if (size == 0 || size > kMaxFrameBytes) {
        return FrameStatus::TooLarge;
    }
    body.resize(size);
    status = ReceiveExactly(fd, body.data(), size, deadline);
    return status == FrameStatus::Closed ? FrameStatus::Failed : status;
}

std::string DefaultSocketPath() {
    if (const char* explicitPath = std::getenv("KIROSCAN_SOCKET");
        explicitPath != nullptr && *explicitPath != '\0') {
        return explicitPath;
    }
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        runtime != nullptr && *runtime != '\0') {
        return std::string(runtime) + "/kiroscan.sock";
    }
    return "/tmp/kiroscan-" + std::to_string(::getuid()) + ".sock";
}

}  // namespace kiro::wire
