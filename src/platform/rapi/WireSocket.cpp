#include <poll.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <optional>

#include "platform/rapi/SocketPlace.h"
#include "platform/rapi/WireCodec.h"

namespace kiro::wire {
namespace {

using SteadyClock = std::chrono::steady_clock;

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

}  // namespace

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
