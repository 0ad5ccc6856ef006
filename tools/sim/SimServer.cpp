#include "sim/SimServer.h"

#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif
#include <fnmatch.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <vector>

#include "platform/DisplayText.h"
#include "platform/Utf16.h"
#include "platform/rapi/RapiConstants.h"
#include "platform/rapi/SocketPlace.h"
#include "platform/rapi/WireCodec.h"
#include "sim/LoopbackLink.h"

namespace kiro::sim {

using wire::CWireReader;
using wire::CWireWriter;
using wire::Op;

namespace {

constexpr std::size_t kMaxOpenFiles = 64;
constexpr int kFrameTimeoutMs = 5000;
// Room for a whole read reply and the next (the kernel may grant less).
constexpr int kSendBufferBytes = 4 * 1024 * 1024;

std::string Printable(std::u16string_view text) {
    return EscapeControlCharacters(Utf16ToUtf8Lossy(text));
}

// Reads a request holding one text and nothing else.
std::optional<std::u16string> SingleText(std::string_view payload) {
    CWireReader reader(payload);
    std::u16string text;
    if (!reader.GetText(text) || !reader.AtEnd()) {
        return std::nullopt;
    }
    return text;
}

std::optional<std::uint32_t> SingleHandle(std::string_view payload) {
    CWireReader reader(payload);
    std::uint32_t handle = 0;
    if (!reader.GetU32(handle) || !reader.AtEnd()) {
        return std::nullopt;
    }
    return handle;
}

std::size_t ReadUpTo(int fd, char* into, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = ::read(fd, into + done, size - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    return done;
}

// Waits up to milliseconds; false when woken to stop.
bool SleepUnlessWoken(int wakeFd, int milliseconds) {
    pollfd entry{wakeFd, POLLIN, 0};
    return ::poll(&entry, 1, milliseconds) == 0;
}

std::string BaseName(const std::u16string& path) {
    const std::size_t separator = path.rfind(u'\\');
    return Utf16ToUtf8Lossy(separator == std::u16string::npos ? path : path.substr(separator + 1));
}

}  // namespace

CSimSession::CSimSession(const CSimFileSystem& files, const SimFaults& faults, std::FILE* log)
    : m_files(files), m_faults(faults), m_log(log) {}

CSimSession::~CSimSession() {
    Restart();
}

void CSimSession::Restart() {
    for (auto& [handle, file] : m_open) {
        ::close(file.fd);
    }
    m_open.clear();
    m_nextHandle = 1;
    m_requests = 0;
}

void CSimSession::Log(const char* format, ...) {
    if (m_log == nullptr) {
        return;
    }
    std::va_list arguments;
    va_start(arguments, format);
    std::fputs("kiroscan-sim: ", m_log);
    std::vfprintf(m_log, format, arguments);
    std::fputc('\n', m_log);
    std::fflush(m_log);
    va_end(arguments);
}

std::optional<CSimSession::Reply> CSimSession::Answer(std::string_view request) {
    if (m_faults.dropAfterRequests && m_requests >= *m_faults.dropAfterRequests) {
        Log("dropping the connection after %llu requests",
            static_cast<unsigned long long>(m_requests));
        return std::nullopt;
    }
    ++m_requests;
    m_replyData = {};
    if (request.empty() || !Dispatch(request)) {
        return std::nullopt;
    }
    return Reply{m_reply.Bytes(), m_replyData};
}

std::optional<std::string> CSimSession::Handle(std::string_view request) {
    const auto reply = Answer(request);
    if (!reply) {
        return std::nullopt;
    }
    std::string body(reply->fields);
    body.append(reply->data);
    return body;
}

bool CSimSession::Dispatch(std::string_view request) {
    const std::string_view payload = request.substr(1);
    switch (static_cast<Op>(request[0])) {
        case Op::FindAllFiles:
            return Find(payload);
        case Op::CreateFile:
            return Open(payload);
        case Op::ReadFile:
            return Read(payload);
        case Op::GetFileSize:
            return Size(payload);
        case Op::CloseHandle:
            return Close(payload);
        case Op::DeleteFile:
            return Delete(payload);
        case Op::CreateDirectory:
            return MakeDirectory(payload);
        default:
            Log("unknown request %u",
                static_cast<unsigned>(static_cast<unsigned char>(request[0])));
            return false;
    }
}

void CSimSession::AnswerOk(Op op, bool ok) {
    m_reply.Restart(op);
    m_reply.PutU32(ok ? 1 : 0);
}

bool CSimSession::Find(std::string_view payload) {
    CWireReader reader(payload);
    std::u16string pattern;
    std::uint32_t flags = 0;
    if (!reader.GetText(pattern) || !reader.GetU32(flags) || !reader.AtEnd()) {
        return false;
    }
    const bool listed = m_files.Find(pattern, (flags & rapi::FAF_FOLDERS_ONLY) != 0, m_entries);
    m_reply.Restart(Op::FindAllFiles);
    // A listing must fit in one frame; one that would not is answered as a failure.
    const std::size_t maxEntries = wire::kMaxFrameBytes / (24 + 2 * rapi::MAX_PATH);
    if (!listed || m_entries.size() > maxEntries) {
        Log("FindAllFiles %s -> failed", Printable(pattern).c_str());
        m_reply.PutU32(0);
        m_reply.PutU32(0);
        return true;
    }
    std::size_t bytes = 9;
    for (const SimEntry& entry : m_entries) {
        bytes += 24 + 2 * entry.name.size();
    }
    m_reply.Reserve(bytes);
    m_reply.PutU32(1);
    m_reply.PutU32(static_cast<std::uint32_t>(m_entries.size()));
    for (const SimEntry& entry : m_entries) {
        m_reply.PutU32(entry.attributes);
        m_reply.PutU32(entry.lastWrite.dwLowDateTime);
        m_reply.PutU32(entry.lastWrite.dwHighDateTime);
        m_reply.PutU32(static_cast<std::uint32_t>(entry.size >> 32));
        m_reply.PutU32(static_cast<std::uint32_t>(entry.size));
        m_reply.PutText(entry.name);
    }
    Log("FindAllFiles %s flags %u -> %zu entries", Printable(pattern).c_str(), flags,
        m_entries.size());
    return true;
}

bool CSimSession::Open(std::string_view payload) {
    CWireReader reader(payload);
    std::u16string path;
    std::uint32_t access = 0;
    std::uint32_t share = 0;
    std::uint32_t disposition = 0;
    std::uint32_t attributes = 0;
    if (!reader.GetText(path) || !reader.GetU32(access) || !reader.GetU32(share) ||
        !reader.GetU32(disposition) || !reader.GetU32(attributes) || !reader.AtEnd()) {
        return false;
    }
    int fd = -1;
    if (access == rapi::GENERIC_READ && disposition == rapi::OPEN_EXISTING &&
        m_open.size() < kMaxOpenFiles) {
        fd = m_files.OpenForReading(path);
    }
    m_reply.Restart(Op::CreateFile);
    if (fd < 0) {
        Log("CreateFile %s -> failed", Printable(path).c_str());
        m_reply.PutU32(0);
        return true;
    }
    const std::uint32_t handle = m_nextHandle++;
    m_open[handle] = OpenFile{fd, 0};
    Log("CreateFile %s -> handle %u", Printable(path).c_str(), handle);
    m_reply.PutU32(handle);
    return true;
}

// Reads up to size bytes of a file into the one read buffer that serves every read.
std::string_view CSimSession::ReadInto(int fd, std::uint32_t size) {
    if (size > m_readBuffer.Size()) {
        m_readBuffer = rapi::CBulkMemory();
        m_readBuffer = rapi::CBulkMemory(size);
    }
    if (m_readBuffer.Data() == nullptr) {
        return {};
    }
    return {m_readBuffer.Data(), ReadUpTo(fd, m_readBuffer.Data(), size)};
}

bool CSimSession::Read(std::string_view payload) {
    CWireReader reader(payload);
    std::uint32_t handle = 0;
    std::uint32_t size = 0;
    if (!reader.GetU32(handle) || !reader.GetU32(size) || !reader.AtEnd()) {
        return false;
    }
    m_reply.Restart(Op::ReadFile);
    const auto found = m_open.find(handle);
    if (found == m_open.end()) {
        m_reply.PutU32(0);
        m_reply.PutBytes({});
        return true;
    }
    OpenFile& file = found->second;
    size = std::min(size, wire::kMaxReadBytes);
    bool failing = false;
    if (m_faults.failReadAfter && file.bytesRead + size > *m_faults.failReadAfter) {
        size = static_cast<std::uint32_t>(*m_faults.failReadAfter -
                                          std::min(file.bytesRead, *m_faults.failReadAfter));
        failing = true;
    }
    const std::string_view data = ReadInto(file.fd, size);
    file.bytesRead += data.size();
    // A short read at the end of the file is no failure, even under the fault.
    failing = failing && data.size() == size;
    m_reply.PutU32(failing ? 0 : 1);
    // The bytes follow as a byte block: its length here, the bytes sent from the buffer.
    m_reply.PutU32(static_cast<std::uint32_t>(data.size()));
    m_replyData = data;
    if (m_log != nullptr && failing) {
        Log("ReadFile handle %u -> failed after %llu bytes", handle,
            static_cast<unsigned long long>(file.bytesRead));
    }
    return true;
}

bool CSimSession::Size(std::string_view payload) {
    const auto handle = SingleHandle(payload);
    if (!handle) {
        return false;
    }
    m_reply.Restart(Op::GetFileSize);
    const auto found = m_open.find(*handle);
    struct stat info {};
    if (found == m_open.end() || ::fstat(found->second.fd, &info) != 0) {
        m_reply.PutU32(rapi::INVALID_FILE_SIZE);
        m_reply.PutU32(0);
        return true;
    }
    const auto size = static_cast<std::uint64_t>(info.st_size);
    m_reply.PutU32(static_cast<std::uint32_t>(size));
    m_reply.PutU32(static_cast<std::uint32_t>(size >> 32));
    return true;
}

bool CSimSession::Close(std::string_view payload) {
    const auto handle = SingleHandle(payload);
    if (!handle) {
        return false;
    }
    const auto found = m_open.find(*handle);
    if (found == m_open.end()) {
        AnswerOk(Op::CloseHandle, false);
        return true;
    }
    ::close(found->second.fd);
    m_open.erase(found);
    AnswerOk(Op::CloseHandle, true);
    return true;
}

bool CSimSession::Delete(std::string_view payload) {
    const auto path = SingleText(payload);
    if (!path) {
        return false;
    }
    const bool refused =
        !m_faults.refuseDeletePattern.empty() &&
        ::fnmatch(m_faults.refuseDeletePattern.c_str(), BaseName(*path).c_str(), 0) == 0;
    const bool deleted = !refused && m_files.DeleteFile(*path);
    Log("DeleteFile %s -> %s", Printable(*path).c_str(),
        deleted ? "deleted" : (refused ? "refused" : "failed"));
    AnswerOk(Op::DeleteFile, deleted);
    return true;
}

bool CSimSession::MakeDirectory(std::string_view payload) {
    const auto path = SingleText(payload);
    if (!path) {
        return false;
    }
    const bool created = m_files.CreateDirectory(*path);
    Log("CreateDirectory %s -> %s", Printable(*path).c_str(), created ? "created" : "failed");
    AnswerOk(Op::CreateDirectory, created);
    return true;
}

CSimServer::CSimServer(const CSimFileSystem& files, SimFaults faults, std::FILE* log)
    : m_files(files), m_faults(std::move(faults)), m_log(log), m_session(m_files, m_faults, log) {}

CSimServer::~CSimServer() {
    DropClient();
    if (m_listenFd >= 0) {
        ::close(m_listenFd);
    }
    if (m_loopbackFd >= 0) {
        ::close(m_loopbackFd);
    }
}

namespace {

// Whether a handheld still listens on the socket at `address`: "" when none does (the
// connection is refused), else why it may not be replaced.
std::string WhyTheSocketIsInUse(const sockaddr_un& address) {
    const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    const bool connected =
        ::connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    const int reason = errno;
    ::close(probe);
    if (connected) {
        return std::string("another handheld already listens at ") + address.sun_path;
    }
    return reason == ECONNREFUSED ? ""
                                  : std::string("cannot tell whether a handheld listens at ") +
                                        address.sun_path + ": " + std::strerror(reason);
}

// Clears the socket path for binding. Only a socket of the user's own that nothing listens
// on (left by a handheld that died) is removed; anything else there is the user's to look
// at: "" or why it stays.
std::string RemoveStaleSocket(const sockaddr_un& address) {
    const std::string path = address.sun_path;
    struct stat seen {};
    if (::lstat(path.c_str(), &seen) != 0) {
        return errno == ENOENT ? "" : "cannot examine " + path + ": " + std::strerror(errno);
    }
    if (S_ISLNK(seen.st_mode)) {
        return RefusalToReplace("socket", path, "it is a symbolic link");
    }
    if (!S_ISSOCK(seen.st_mode)) {
        return RefusalToReplace("socket", path, "it is not a socket");
    }
    // Another user's socket is neither replaced nor served beside.
    std::string error = wire::CheckSocketFile(path, false);
    if (error.empty()) {
        error = WhyTheSocketIsInUse(address);
    }
    if (error.empty() &&
        (!StillTheFile(path, seen.st_dev, seen.st_ino) || ::unlink(path.c_str()) != 0)) {
        error = RefusalToReplace("socket", path, "it changed while it was examined");
    }
    return error;
}

}  // namespace

bool CSimServer::Listen(const std::string& socketPath, std::string& error) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.empty() || socketPath.size() >= sizeof address.sun_path) {
        error = "the socket path is empty or too long";
        return false;
    }
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    error = RemoveStaleSocket(address);
    if (!error.empty()) {
        return false;
    }
    m_listenFd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const mode_t oldMask = ::umask(0177);
    const bool bound =
        ::bind(m_listenFd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::umask(oldMask);
    if (bound) {
        m_socketFile = COwnFile::At(socketPath);
    }
    if (!bound || ::chmod(socketPath.c_str(), 0600) != 0 || ::listen(m_listenFd, 4) != 0) {
        error = std::string("cannot listen at ") + socketPath + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

void CSimServer::ServeLoopback(int listenFd, std::string secret, COwnFile linkFile) {
    m_loopbackFd = listenFd;
    m_gate = std::make_unique<CSecretGate>(std::move(secret), m_log);
    m_linkFile = std::move(linkFile);
}

void CSimServer::Run(int wakeFd) {
    for (;;) {
        std::vector<pollfd> fds = {{wakeFd, POLLIN, 0}, {m_listenFd, POLLIN, 0}};
        const std::size_t loopback = fds.size();
        if (m_loopbackFd >= 0) {
            fds.push_back({m_loopbackFd, POLLIN, 0});
        }
        const std::size_t client = fds.size();
        const bool hasClient = m_clientFd >= 0;
        if (hasClient) {
            fds.push_back({m_clientFd, POLLIN, 0});
        }
        const int timeoutMs = m_gate ? m_gate->MillisecondsToDeadline() : -1;
        if (m_gate) {
            m_gate->Watch(fds);
        }
        if (::poll(fds.data(), static_cast<nfds_t>(fds.size()), timeoutMs) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (fds[0].revents != 0) {
            return;
        }
        if (fds[1].revents & POLLIN) {
            AcceptClient(::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC));
        }
        if (m_loopbackFd >= 0 && (fds[loopback].revents & POLLIN)) {
            AcceptLoopbackClients();
        }
        if (m_gate) {
            for (const int admitted : m_gate->Advance()) {
                // Small request and reply frames must not wait for the network's batching.
                const int on = 1;
                ::setsockopt(admitted, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
                AcceptClient(admitted);
            }
        }
        if (hasClient && fds[client].revents != 0 && m_clientFd >= 0) {
            ServeRequest(wakeFd);
        }
    }
}

// Loopback clients wait at the gate until they have presented the secret; the handheld
// serves its other clients meanwhile.
void CSimServer::AcceptLoopbackClients() {
    for (;;) {
        const int fd = ::accept4(m_loopbackFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            return;
        }
        m_gate->Admit(fd);
    }
}

void CSimServer::AcceptClient(int fd) {
    if (fd < 0) {
        return;
    }
    // A client that has already hung up (a quick probe, a killed program) no longer
    // holds the handheld.
    if (m_clientFd >= 0 && ClientHasLeft()) {
        DropClient();
    }
    if (m_clientFd >= 0) {
        RefuseClient(fd);
        return;
    }
    m_clientFd = fd;
    m_clientGreeted = false;
    // The client asks for a block before it has taken in the last: sending the next
    // need not wait for it.
    const int sendBuffer = kSendBufferBytes;
    ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &sendBuffer, sizeof sendBuffer);
    if (m_log != nullptr) {
        std::fprintf(m_log, "kiroscan-sim: a client connected\n");
    }
}

bool CSimServer::ClientHasLeft() const {
    pollfd entry{m_clientFd, POLLRDHUP, 0};
    return ::poll(&entry, 1, 0) > 0 && (entry.revents & (POLLHUP | POLLRDHUP | POLLERR)) != 0;
}

// Another program already has the handheld: its greeting is answered "busy".
void CSimServer::RefuseClient(int fd) {
    std::string hello;
    if (wire::ReceiveFrame(fd, hello, 1000) == wire::FrameStatus::Ok) {
        CWireWriter reply(Op::Hello);
        reply.PutU32(static_cast<std::uint32_t>(wire::GreetingStatus::Busy));
        reply.PutU32(wire::kProtocolVersion);
        wire::SendFrame(fd, reply.Bytes());
    }
    ::close(fd);
    if (m_log != nullptr) {
        std::fprintf(m_log, "kiroscan-sim: refused a second client\n");
    }
}

bool CSimServer::GreetClient(int fd, int wakeFd) {
    std::string hello;
    if (wire::ReceiveFrame(fd, hello, kFrameTimeoutMs) != wire::FrameStatus::Ok) {
        return false;
    }
    CWireReader reader(hello);
    std::uint8_t op = 0;
    std::uint32_t magic = 0;
    std::uint32_t version = 0;
    if (!reader.GetU8(op) || op != static_cast<std::uint8_t>(Op::Hello) || !reader.GetU32(magic) ||
        magic != wire::kGreetingMagic || !reader.GetU32(version) || !reader.AtEnd()) {
        return false;
    }
    if (m_faults.greetingDelayMs > 0 && !SleepUnlessWoken(wakeFd, m_faults.greetingDelayMs)) {
        return false;
    }
    const bool accepted = version == wire::kProtocolVersion;
    CWireWriter reply(Op::Hello);
    reply.PutU32(static_cast<std::uint32_t>(accepted ? wire::GreetingStatus::Accepted
                                                     : wire::GreetingStatus::WrongVersion));
    reply.PutU32(wire::kProtocolVersion);
    return wire::SendFrame(fd, reply.Bytes()) && accepted;
}

void CSimServer::ServeRequest(int wakeFd) {
    if (!m_clientGreeted) {
        m_clientGreeted = GreetClient(m_clientFd, wakeFd);
        if (!m_clientGreeted) {
            DropClient();
        } else {
            m_session.Restart();
        }
        return;
    }
    if (wire::ReceiveFrame(m_clientFd, m_request, kFrameTimeoutMs) != wire::FrameStatus::Ok) {
        DropClient();
        return;
    }
    const auto reply = m_session.Answer(m_request);
    if (!reply || !wire::SendFrame(m_clientFd, reply->fields, reply->data)) {
        DropClient();
    }
}

void CSimServer::DropClient() {
    m_session.Restart();
    if (m_clientFd >= 0) {
        ::close(m_clientFd);
        m_clientFd = -1;
        if (m_log != nullptr) {
            std::fprintf(m_log, "kiroscan-sim: the client left\n");
        }
    }
}

}  // namespace kiro::sim
