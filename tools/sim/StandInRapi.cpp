// A stand-in for the handheld's remote API library, for the Windows build's tests only: it
// answers the published functions by talking to kiroscan-sim over the loopback network,
// so that kiroconv-cli.exe under wine loads and calls it exactly as it would the library
// of the device-sync software. It is never installed or shipped.
//
// Where the handheld listens, and the secret it asks for, come from the link file that
// `kiroscan-sim --loopback-link FILE` writes; $KIROSCAN_LINK_FILE names it.

#include <windows.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "platform/rapi/RapiTypes.h"
#include "platform/rapi/WireCodec.h"

namespace {

namespace rapi = kiro::rapi;
namespace wire = kiro::wire;
using wire::CWireReader;
using wire::CWireWriter;
using wire::Op;

constexpr rapi::HRESULT kOk = 0;
constexpr auto kFail = static_cast<rapi::HRESULT>(0x80004005u);
constexpr auto kInvalidArgument = static_cast<rapi::HRESULT>(0x80070057u);
constexpr auto kAlreadyInitialised = static_cast<rapi::HRESULT>(0x80041001u);
// What the remote API's own error says once the link to the handheld broke: the RPC
// server is unavailable.
constexpr auto kLinkBroken = static_cast<rapi::HRESULT>(0x800706BAu);
constexpr rapi::DWORD kInvalidFileSize = 0xFFFFFFFFu;
constexpr int kGreetingTimeoutMs = 2000;
constexpr int kCallTimeoutMs = 10000;
constexpr int kRetryMs = 50;

struct LinkTarget {
    unsigned short port = 0;
    std::string secret;
};

std::optional<LinkTarget> ReadLinkFile() {
    const wchar_t* name = ::_wgetenv(L"KIROSCAN_LINK_FILE");
    if (name == nullptr) {
        return std::nullopt;
    }
    std::ifstream in{std::filesystem::path(name)};
    LinkTarget target;
    if (!(in >> target.port >> target.secret)) {
        return std::nullopt;
    }
    return target;
}

bool SendFrame(SOCKET link, std::string_view body) {
    std::string frame;
    wire::AppendU32(frame, static_cast<std::uint32_t>(body.size()));
    frame.append(body);
    for (std::size_t done = 0; done < frame.size();) {
        const int sent =
            ::send(link, frame.data() + done, static_cast<int>(frame.size() - done), 0);
        if (sent <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(sent);
    }
    return true;
}

bool ReceiveExactly(SOCKET link, char* into, std::size_t size) {
    for (std::size_t done = 0; done < size;) {
        const int got = ::recv(link, into + done, static_cast<int>(size - done), 0);
        if (got <= 0) {
            return false;  // closed, failed or no answer in time
        }
        done += static_cast<std::size_t>(got);
    }
    return true;
}

std::optional<std::string> ReceiveFrame(SOCKET link) {
    char header[4];
    if (!ReceiveExactly(link, header, sizeof header)) {
        return std::nullopt;
    }
    const std::uint32_t size = wire::DecodeU32(header);
    if (size == 0 || size > wire::kMaxFrameBytes) {
        return std::nullopt;
    }
    std::string body(size, '\0');
    return ReceiveExactly(link, body.data(), size) ? std::optional(std::move(body)) : std::nullopt;
}

void SetReceiveTimeout(SOCKET link, DWORD milliseconds) {
    ::setsockopt(link, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&milliseconds),
                 sizeof milliseconds);
}

class CStandIn {
public:
    rapi::HRESULT Init(rapi::RAPIINIT* init);
    rapi::HRESULT Uninit();
    rapi::BOOL FindAllFiles(rapi::LPCWSTR pattern, rapi::DWORD flags, rapi::DWORD* count,
                            rapi::CE_FIND_DATA** entries);
    rapi::HRESULT FreeBuffer(void* buffer);
    rapi::HANDLE Open(rapi::LPCWSTR path, rapi::DWORD access, rapi::DWORD share,
                      rapi::DWORD disposition, rapi::DWORD attributes);
    rapi::BOOL Read(rapi::HANDLE file, void* buffer, rapi::DWORD size, rapi::DWORD* read);
    rapi::DWORD Size(rapi::HANDLE file, rapi::DWORD* high);
    rapi::BOOL Close(rapi::HANDLE file);
    rapi::BOOL PathCall(Op op, rapi::LPCWSTR path);
    rapi::HRESULT LastRapiError();

private:
    enum class Greeting { Accepted, Refused, NoAnswer };

    void Seek();
    SOCKET Reach(const LinkTarget& target, Greeting& greeting);
    std::optional<std::string> Call(const CWireWriter& request);
    std::optional<bool> OkCall(const CWireWriter& request);
    // Ends the link after a reply that broke the protocol, as the Linux client does.
    template <typename Parsed>
    std::optional<Parsed> Checked(std::optional<Parsed> parsed);
    void Drop();

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::thread m_seeker;
    bool m_initialised = false;
    bool m_stop = false;
    // The link to the handheld broke while connected.
    bool m_linkBroken = false;
    SOCKET m_link = INVALID_SOCKET;
    HANDLE m_event = nullptr;
    std::map<rapi::CE_FIND_DATA*, std::unique_ptr<rapi::CE_FIND_DATA[]>> m_buffers;
};

rapi::HRESULT CStandIn::Init(rapi::RAPIINIT* init) {
    if (init == nullptr || init->cbSize < sizeof(rapi::RAPIINIT)) {
        return kInvalidArgument;
    }
    std::lock_guard lock(m_mutex);
    if (m_initialised) {
        return kAlreadyInitialised;
    }
    static const bool started = [] {
        WSADATA data;
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    m_event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!started || m_event == nullptr) {
        return kFail;
    }
    m_initialised = true;
    m_stop = false;
    m_linkBroken = false;
    m_seeker = std::thread(&CStandIn::Seek, this);
    init->heRapiInit = m_event;
    init->hrRapiInit = kOk;
    return kOk;
}

rapi::HRESULT CStandIn::Uninit() {
    {
        std::lock_guard lock(m_mutex);
        if (!m_initialised) {
            return kFail;
        }
        m_stop = true;
    }
    m_changed.notify_all();
    m_seeker.join();
    std::lock_guard lock(m_mutex);
    Drop();
    ::CloseHandle(m_event);
    m_event = nullptr;
    m_buffers.clear();
    m_initialised = false;
    m_linkBroken = false;
    return kOk;
}

// Keeps trying until the handheld greets, refuses, or the caller gives the API back.
void CStandIn::Seek() {
    std::unique_lock lock(m_mutex);
    while (!m_stop) {
        lock.unlock();
        Greeting greeting = Greeting::NoAnswer;
        const std::optional<LinkTarget> target = ReadLinkFile();
        const SOCKET link = target ? Reach(*target, greeting) : INVALID_SOCKET;
        lock.lock();
        if (link != INVALID_SOCKET && !m_stop) {
            m_link = link;
            ::SetEvent(m_event);
            return;
        }
        if (link != INVALID_SOCKET) {
            ::closesocket(link);
        }
        if (greeting == Greeting::Refused) {
            return;  // the init event is never set, as with a busy handheld
        }
        m_changed.wait_for(lock, std::chrono::milliseconds(kRetryMs), [this] { return m_stop; });
    }
}

SOCKET CStandIn::Reach(const LinkTarget& target, Greeting& greeting) {
    const SOCKET link = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = ::htons(target.port);
    address.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
    if (link == INVALID_SOCKET ||
        ::connect(link, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        if (link != INVALID_SOCKET) {
            ::closesocket(link);
        }
        return INVALID_SOCKET;
    }
    const BOOL noDelay = TRUE;
    ::setsockopt(link, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay),
                 sizeof noDelay);
    SetReceiveTimeout(link, kGreetingTimeoutMs);
    std::optional<std::string> reply;
    if (SendFrame(link, target.secret) && SendFrame(link, wire::HelloRequest().Bytes())) {
        reply = ReceiveFrame(link);
    }
    const std::optional<std::uint32_t> answer = reply ? wire::GreetingAnswer(*reply) : std::nullopt;
    if (answer) {
        greeting = *answer == static_cast<std::uint32_t>(wire::GreetingStatus::Accepted)
                       ? Greeting::Accepted
                       : Greeting::Refused;
    }
    if (greeting != Greeting::Accepted) {
        ::closesocket(link);
        return INVALID_SOCKET;
    }
    SetReceiveTimeout(link, kCallTimeoutMs);
    return link;
}

void CStandIn::Drop() {
    if (m_link != INVALID_SOCKET) {
        ::closesocket(m_link);
        m_link = INVALID_SOCKET;
    }
}

// The reply's fields after its operation byte; nothing once the link is gone.
std::optional<std::string> CStandIn::Call(const CWireWriter& request) {
    if (m_link == INVALID_SOCKET) {
        return std::nullopt;
    }
    std::optional<std::string> reply;
    if (SendFrame(m_link, request.Bytes())) {
        reply = ReceiveFrame(m_link);
    }
    const auto op = static_cast<Op>(request.Bytes()[0]);
    const std::optional<std::string_view> fields =
        reply ? wire::ReplyFields(*reply, op) : std::nullopt;
    if (!fields) {
        Drop();
        m_linkBroken = true;
        return std::nullopt;
    }
    return std::string(*fields);
}

template <typename Parsed>
std::optional<Parsed> CStandIn::Checked(std::optional<Parsed> parsed) {
    if (!parsed) {
        Drop();
    }
    return parsed;
}

std::optional<bool> CStandIn::OkCall(const CWireWriter& request) {
    const auto reply = Call(request);
    return reply ? Checked(wire::ReadAnswer(*reply)) : std::nullopt;
}

rapi::BOOL CStandIn::FindAllFiles(rapi::LPCWSTR pattern, rapi::DWORD flags, rapi::DWORD* count,
                                  rapi::CE_FIND_DATA** entries) {
    std::lock_guard lock(m_mutex);
    const auto path = wire::DevicePathArgument(pattern);
    if (!path || count == nullptr || entries == nullptr) {
        return FALSE;
    }
    *count = 0;
    *entries = nullptr;
    const auto reply = Call(wire::FindAllFilesRequest(*path, flags));
    if (!reply) {
        return FALSE;
    }
    CWireReader reader(*reply);
    const std::optional<wire::ListingHead> head = Checked(wire::ReadListingHead(reader));
    if (!head || !head->found) {
        return FALSE;
    }
    auto listing = std::make_unique<rapi::CE_FIND_DATA[]>(head->count);
    const std::optional<std::uint32_t> kept =
        Checked(wire::ReadListingEntries(reader, head->count, listing.get()));
    if (!kept) {
        return FALSE;
    }
    if (*kept > 0) {
        *entries = listing.get();
        *count = *kept;
        m_buffers.emplace(listing.get(), std::move(listing));
    }
    return TRUE;
}

rapi::HRESULT CStandIn::FreeBuffer(void* buffer) {
    std::lock_guard lock(m_mutex);
    return m_buffers.erase(static_cast<rapi::CE_FIND_DATA*>(buffer)) == 0 ? kInvalidArgument : kOk;
}

rapi::HANDLE CStandIn::Open(rapi::LPCWSTR path, rapi::DWORD access, rapi::DWORD share,
                            rapi::DWORD disposition, rapi::DWORD attributes) {
    std::lock_guard lock(m_mutex);
    const auto invalid = reinterpret_cast<rapi::HANDLE>(static_cast<std::intptr_t>(-1));
    const auto text = wire::DevicePathArgument(path);
    if (!text) {
        return invalid;
    }
    const auto reply = Call(wire::CreateFileRequest(*text, access, share, disposition, attributes));
    const std::optional<std::uint32_t> id =
        reply ? Checked(wire::ReadHandle(*reply)) : std::nullopt;
    if (!id || *id == 0 || *id == 0xFFFFFFFFu) {
        return invalid;
    }
    return reinterpret_cast<rapi::HANDLE>(static_cast<std::uintptr_t>(*id));
}

std::uint32_t HandleId(rapi::HANDLE handle) {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(handle));
}

// Asks for blocks until the caller's buffer is full or the file ends. A block that fails
// fails the whole read.
rapi::BOOL CStandIn::Read(rapi::HANDLE file, void* buffer, rapi::DWORD size, rapi::DWORD* read) {
    std::lock_guard lock(m_mutex);
    if (buffer == nullptr || read == nullptr) {
        return FALSE;
    }
    *read = 0;
    auto* into = static_cast<char*>(buffer);
    rapi::DWORD done = 0;
    while (done < size) {
        const std::uint32_t asked = std::min<std::uint32_t>(size - done, wire::kMaxReadBytes);
        const auto reply = Call(wire::ReadFileRequest(HandleId(file), asked));
        const std::optional<wire::BlockReply> block =
            reply ? Checked(wire::ReadBlock(*reply, asked)) : std::nullopt;
        if (!block || !block->ok) {
            return FALSE;
        }
        const std::string_view data = block->data;
        std::memcpy(into + done, data.data(), data.size());
        done += static_cast<rapi::DWORD>(data.size());
        if (data.size() < asked) {
            break;
        }
    }
    *read = done;
    return TRUE;
}

rapi::DWORD CStandIn::Size(rapi::HANDLE file, rapi::DWORD* high) {
    std::lock_guard lock(m_mutex);
    const auto reply = Call(wire::HandleRequest(Op::GetFileSize, HandleId(file)));
    const std::optional<wire::FileSizeReply> size =
        reply ? Checked(wire::ReadFileSize(*reply)) : std::nullopt;
    if (high != nullptr) {
        *high = size ? size->high : 0;
    }
    return size ? size->low : kInvalidFileSize;
}

rapi::BOOL CStandIn::Close(rapi::HANDLE file) {
    std::lock_guard lock(m_mutex);
    return OkCall(wire::HandleRequest(Op::CloseHandle, HandleId(file))).value_or(false) ? TRUE
                                                                                        : FALSE;
}

rapi::BOOL CStandIn::PathCall(Op op, rapi::LPCWSTR path) {
    std::lock_guard lock(m_mutex);
    const auto text = wire::DevicePathArgument(path);
    if (!text) {
        return FALSE;
    }
    return OkCall(wire::PathRequest(op, *text)).value_or(false) ? TRUE : FALSE;
}

rapi::HRESULT CStandIn::LastRapiError() {
    std::lock_guard lock(m_mutex);
    return m_linkBroken ? kLinkBroken : kOk;
}

// Never destroyed: a process may end without giving the API back, and joining the
// seeking thread while the library is unloaded would hang it.
CStandIn& StandIn() {
    static CStandIn* const standIn = new CStandIn;
    return *standIn;
}

}  // namespace

#define KIRO_STANDIN_EXPORT extern "C" __declspec(dllexport)

KIRO_STANDIN_EXPORT rapi::HRESULT CeRapiInitEx(rapi::RAPIINIT* pRapiInit) {
    return StandIn().Init(pRapiInit);
}
KIRO_STANDIN_EXPORT rapi::HRESULT CeRapiUninit() {
    return StandIn().Uninit();
}
KIRO_STANDIN_EXPORT rapi::BOOL CeFindAllFiles(rapi::LPCWSTR szPath, rapi::DWORD dwFlags,
                                              rapi::DWORD* lpdwFoundCount,
                                              rapi::CE_FIND_DATA** ppFindDataArray) {
    return StandIn().FindAllFiles(szPath, dwFlags, lpdwFoundCount, ppFindDataArray);
}
KIRO_STANDIN_EXPORT rapi::HRESULT CeRapiFreeBuffer(void* Buffer) {
    return StandIn().FreeBuffer(Buffer);
}
KIRO_STANDIN_EXPORT rapi::HANDLE CeCreateFile(rapi::LPCWSTR lpFileName, rapi::DWORD dwDesiredAccess,
                                              rapi::DWORD dwShareMode, void*,
                                              rapi::DWORD dwCreationDisposition,
                                              rapi::DWORD dwFlagsAndAttributes, rapi::HANDLE) {
    return StandIn().Open(lpFileName, dwDesiredAccess, dwShareMode, dwCreationDisposition,
                          dwFlagsAndAttributes);
}
KIRO_STANDIN_EXPORT rapi::BOOL CeReadFile(rapi::HANDLE hFile, void* lpBuffer,
                                          rapi::DWORD nNumberOfBytesToRead,
                                          rapi::DWORD* lpNumberOfBytesRead, void*) {
    return StandIn().Read(hFile, lpBuffer, nNumberOfBytesToRead, lpNumberOfBytesRead);
}
KIRO_STANDIN_EXPORT rapi::DWORD CeGetFileSize(rapi::HANDLE hFile, rapi::DWORD* lpFileSizeHigh) {
    return StandIn().Size(hFile, lpFileSizeHigh);
}
KIRO_STANDIN_EXPORT rapi::BOOL CeCloseHandle(rapi::HANDLE hObject) {
    return StandIn().Close(hObject);
}
KIRO_STANDIN_EXPORT rapi::BOOL CeDeleteFile(rapi::LPCWSTR lpFileName) {
    return StandIn().PathCall(Op::DeleteFile, lpFileName);
}
KIRO_STANDIN_EXPORT rapi::BOOL CeCreateDirectory(rapi::LPCWSTR lpPathName, void*) {
    return StandIn().PathCall(Op::CreateDirectory, lpPathName);
}
KIRO_STANDIN_EXPORT rapi::HRESULT CeRapiGetError() {
    return StandIn().LastRapiError();
}
