#include "platform/rapi/WireCodec.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <chrono>
#include <optional>

#include "platform/rapi/SocketPlace.h"

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
        // What has arrived is taken at once; only an empty socket is waited on.
        const ssize_t got = ::recv(fd, into + done, size - done, MSG_DONTWAIT);
        if (got == 0) {
            return done == 0 ? FrameStatus::Closed : FrameStatus::Failed;
        }
        if (got > 0) {
            done += static_cast<std::size_t>(got);
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            if (!WaitReadable(fd, deadline)) {
                return FrameStatus::TimedOut;
            }
        } else if (errno != EINTR) {
            return FrameStatus::Failed;
        }
    }
    return FrameStatus::Ok;
}

// Receives the length, then the body into the room that prepare(size) gives.
template <typename PrepareBody>
FrameStatus ReceiveFrameInto(int fd, int timeoutMs, PrepareBody prepare) {
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
    char* body = prepare(size);
    if (body == nullptr) {
        return FrameStatus::Failed;
    }
    status = ReceiveExactly(fd, body, size, deadline);
    return status == FrameStatus::Closed ? FrameStatus::Failed : status;
}

// Sends every part in order, resuming after partial sends.
bool SendParts(int fd, iovec* parts, std::size_t count) {
    while (count > 0) {
        msghdr message{};
        message.msg_iov = parts;
        message.msg_iovlen = count;
        const ssize_t sent = ::sendmsg(fd, &message, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent <= 0) {
            return false;
        }
        auto left = static_cast<std::size_t>(sent);
        while (count > 0 && left >= parts->iov_len) {
            left -= parts->iov_len;
            ++parts;
            --count;
        }
        if (count > 0) {
            parts->iov_base = static_cast<char*>(parts->iov_base) + left;
            parts->iov_len -= left;
        }
    }
    return true;
}

iovec PartOf(std::string_view bytes) {
    return {const_cast<char*>(bytes.data()), bytes.size()};
}

// Frame buffers start at this size and grow in powers of two.
constexpr std::size_t kMinFrameBufferBytes = 64 * 1024;

}  // namespace

char* CFrameBuffer::Prepare(std::size_t size) {
    if (size > m_memory.Size()) {
        m_memory = rapi::CBulkMemory();  // the old pages go before the new ones come
        m_memory = rapi::CBulkMemory(std::max(kMinFrameBufferBytes, std::bit_ceil(size)));
    }
    m_size = m_memory.Data() == nullptr ? 0 : size;
    return m_memory.Data();
}

void CWireWriter::PutU32(std::uint32_t value) {
    AppendU32(m_bytes, value);
}

void CWireWriter::PutText(std::u16string_view text) {
    PutU32(static_cast<std::uint32_t>(text.size()));
    const std::size_t start = m_bytes.size();
    m_bytes.resize(start + 2 * text.size());
    char* out = m_bytes.data() + start;
    for (const char16_t unit : text) {
        *out++ = static_cast<char>(unit & 0xFF);
        *out++ = static_cast<char>(unit >> 8);
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
    return GetUnits(text.data(), units);
}

bool CWireReader::GetTextInto(char16_t* into, std::uint32_t capacity, std::uint32_t& units) {
    if (!GetU32(units) || units > capacity || m_rest.size() / 2 < units) {
        return Fail();
    }
    return GetUnits(into, units);
}

bool CWireReader::GetTextIntoOrSkip(char16_t* into, std::uint32_t capacity, std::uint32_t& units,
                                    bool& tooLong) {
    if (!GetU32(units) || m_rest.size() / 2 < units) {
        return Fail();
    }
    tooLong = units > capacity;
    if (tooLong) {
        m_rest.remove_prefix(2 * std::size_t{units});
        return true;
    }
    return GetUnits(into, units);
}

bool CWireReader::GetUnits(char16_t* into, std::uint32_t units) {
    for (std::uint32_t i = 0; i < units; ++i) {
        into[i] = static_cast<char16_t>(static_cast<unsigned char>(m_rest[2 * i]) |
                                        static_cast<unsigned char>(m_rest[2 * i + 1]) << 8);
    }
    m_rest.remove_prefix(2 * std::size_t{units});
    return true;
}

bool CWireReader::GetBytes(std::string& bytes, std::uint32_t maxBytes) {
    std::string_view view;
    if (!GetBytesView(view, maxBytes)) {
        return false;
    }
    bytes.assign(view);
    return true;
}

bool CWireReader::GetBytesView(std::string_view& bytes, std::uint32_t maxBytes) {
    std::uint32_t size = 0;
    if (!GetU32(size) || size > maxBytes || m_rest.size() < size) {
        return Fail();
    }
    bytes = m_rest.substr(0, size);
    m_rest.remove_prefix(size);
    return true;
}

bool SendFrame(int fd, std::string_view body) {
    return SendFrame(fd, body, {});
}

bool SendFrame(int fd, std::string_view head, std::string_view tail) {
    std::string length;
    AppendU32(length, static_cast<std::uint32_t>(head.size() + tail.size()));
    iovec parts[] = {PartOf(length), PartOf(head), PartOf(tail)};
    return SendParts(fd, parts, tail.empty() ? 2 : 3);
}

FrameStatus ReceiveFrame(int fd, std::string& body, int timeoutMs) {
    return ReceiveFrameInto(fd, timeoutMs, [&body](std::uint32_t size) {
        body.resize(size);
        return body.data();
    });
}

FrameStatus ReceiveFrame(int fd, CFrameBuffer& body, int timeoutMs) {
    return ReceiveFrameInto(fd, timeoutMs,
                            [&body](std::uint32_t size) { return body.Prepare(size); });
}

std::string DefaultSocketPath() {
    return DefaultSocketPlace().path;
}

}  // namespace kiro::wire
