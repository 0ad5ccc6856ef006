#include "platform/rapi/RapiClient.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <utility>

#include "platform/rapi/Rapi.h"
#include "platform/rapi/RapiConstants.h"

namespace kiro::rapi {
namespace {

using wire::CWireReader;
using wire::CWireWriter;
using wire::Op;

constexpr int kRetryMs = 50;
// The client reads ahead in the largest blocks a reply may carry, so that a copy in
// small chunks does not pay one round trip per chunk.
constexpr std::uint32_t kReadAheadBytes = wire::kMaxReadBytes;
// Listing arrays from this size on get bulk memory.
constexpr std::size_t kBulkListingBytes = 64 * 1024;
constexpr const char* kLostProblem = "the connection to the handheld was lost";

std::uint32_t HandleId(HANDLE handle) {
    const auto value = reinterpret_cast<std::uintptr_t>(handle);
    return value > 0 && value <= 0xFFFFFFFEu ? static_cast<std::uint32_t>(value) : 0;
}

HANDLE HandleFromId(std::uint32_t id) {
    return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(id));
}

int ConnectTo(const std::string& socketPath) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.size() >= sizeof address.sun_path) {
        return -1;
    }
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -1;
    }
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

CRapiClient::CListingArray::CListingArray(std::size_t count) {
    if (count * sizeof(CE_FIND_DATA) < kBulkListingBytes) {
        m_small.reset(new CE_FIND_DATA[count]());
        return;
    }
    m_large = CBulkMemory(count * sizeof(CE_FIND_DATA));
    auto* entries = reinterpret_cast<CE_FIND_DATA*>(m_large.Data());
    for (std::size_t i = 0; entries != nullptr && i < count; ++i) {
        ::new (static_cast<void*>(entries + i)) CE_FIND_DATA;  // the memory is already zero
    }
}

CE_FIND_DATA* CRapiClient::CListingArray::Entries() const {
    return m_small ? m_small.get() : reinterpret_cast<CE_FIND_DATA*>(m_large.Data());
}

CRapiClient& CRapiClient::Instance() {
    static CRapiClient client;
    return client;
}

CRapiClient::~CRapiClient() {
    Uninit();
}

HRESULT CRapiClient::Init(RAPIINIT* init) {
    if (init == nullptr || init->cbSize < kRapiInitRecordSize) {
        return E_INVALIDARG;
    }
    std::lock_guard lock(m_mutex);
    if (m_state != State::Uninitialised) {
        return CERAPI_E_ALREADYINITIALIZED;
    }
    m_state = State::Waiting;
    SetProblem(LinkFault::None, "");
    m_greetingPending = false;
    m_stop = false;
    wire::SocketPlace place = wire::DefaultSocketPlace();
    m_socketPath = place.path;
    m_helper = std::thread(&CRapiClient::SeekHandheld, this, std::move(place));
    init->heRapiInit = &m_initEvent;
    init->hrRapiInit = S_OK;
    return S_OK;
}

HRESULT CRapiClient::Uninit() {
    {
        std::lock_guard lock(m_mutex);
        if (m_state == State::Uninitialised) {
            return E_FAIL;
        }
        m_stop = true;
    }
    m_changed.notify_all();
    if (m_helper.joinable()) {
        m_helper.join();
    }
    std::lock_guard lock(m_mutex);
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    m_readAhead.clear();
    m_frameOwner = 0;
    m_outstandingRead = 0;
    m_findBuffers.clear();
    m_state = State::Uninitialised;
    return S_OK;
}

void CRapiClient::SeekHandheld(wire::SocketPlace place) {
    std::unique_lock lock(m_mutex);
    while (!m_stop && m_state != State::Refused) {
        lock.unlock();
        const int fd = ReachTrustedHandheld(place);
        const bool greeted = fd >= 0 && Greet(fd);
        lock.lock();
        m_greetingPending = false;
        if (greeted && !m_stop) {
            m_fd = fd;
            m_state = State::Connected;
            m_changed.notify_all();
            return;
        }
        if (fd >= 0) {
            ::close(fd);
        }
        if (m_state == State::Refused) {
            m_changed.notify_all();
            return;
        }
        m_changed.wait_for(lock, std::chrono::milliseconds(kRetryMs),
                           [this] { return m_stop.load(); });
    }
}

// Connects to the handheld, but only to the user's own: a socket folder, socket or
// listener of another user is refused for good, and so is a socket the user may not
// open. -1 while nothing listens yet.
int CRapiClient::ReachTrustedHandheld(const wire::SocketPlace& place) {
    // Root may reach another user's handheld, but only one named explicitly.
    const bool anyUser = place.isExplicit && ::geteuid() == 0;
    std::string refusal = place.folder.empty() ? "" : wire::CheckPrivateFolder(place.folder);
    if (refusal.empty()) {
        refusal = wire::CheckSocketFile(place.path, anyUser);
    }
    int fd = -1;
    if (refusal.empty()) {
        fd = ConnectTo(place.path);
        if (fd < 0 && errno == EACCES) {
            refusal = "permission denied: the socket " + place.path + " may not be opened";
        }
    }
    if (fd >= 0) {
        refusal = wire::CheckPeer(fd, place.path, anyUser);
    }
    std::lock_guard lock(m_mutex);
    if (!refusal.empty()) {
        if (fd >= 0) {
            ::close(fd);
        }
        m_state = State::Refused;
        SetProblem(LinkFault::Refused, refusal);
        return -1;
    }
    m_greetingPending = fd >= 0;
    return fd;
}

void CRapiClient::SetProblem(LinkFault fault, std::string problem) {
    m_fault = fault;
    m_problem = std::move(problem);
}

// Says hello and waits for the handheld's answer, giving up when told to stop.
bool CRapiClient::Greet(int fd) {
    if (!wire::SendFrame(fd, wire::HelloRequest().Bytes())) {
        return false;
    }
    std::string body;
    wire::FrameStatus status = wire::FrameStatus::TimedOut;
    while (!m_stop && status == wire::FrameStatus::TimedOut) {
        status = wire::ReceiveFrame(fd, body, kRetryMs);
    }
    const std::optional<std::uint32_t> answer =
        status == wire::FrameStatus::Ok ? wire::GreetingAnswer(body) : std::nullopt;
    if (!answer) {
        return false;
    }
    if (*answer == static_cast<std::uint32_t>(wire::GreetingStatus::Accepted)) {
        return true;
    }
    std::lock_guard lock(m_mutex);
    m_state = State::Refused;
    SetProblem(LinkFault::Refused, *answer == static_cast<std::uint32_t>(wire::GreetingStatus::Busy)
                                       ? "the handheld is already serving another program"
                                       : "the handheld speaks another protocol version");
    return false;
}

DWORD CRapiClient::Wait(HANDLE event, DWORD milliseconds) {
    std::unique_lock lock(m_mutex);
    if (event != &m_initEvent || m_state == State::Uninitialised) {
        return WAIT_FAILED;
    }
    const auto settled = [this] { return m_state != State::Waiting; };
    if (milliseconds == INFINITE) {
        m_changed.wait(lock, settled);
    } else {
        m_changed.wait_for(lock, std::chrono::milliseconds(milliseconds), settled);
    }
    switch (m_state) {
        case State::Connected:
            return WAIT_OBJECT_0;
        case State::Waiting:
            if (m_greetingPending) {
                SetProblem(LinkFault::NoAnswerInTime,
                           "the handheld at " + m_socketPath +
                               " took the connection but did not answer in time");
            } else if (m_problem.empty()) {
                SetProblem(LinkFault::NothingAnswers, "nothing answers at " + m_socketPath);
            }
            return WAIT_TIMEOUT;
        default:
            return WAIT_FAILED;
    }
}

// Sends a request and waits for its reply; the reply's fields (after the operation
// byte), valid until the next call, or nothing when the connection is gone.
std::optional<std::string_view> CRapiClient::Call(const CWireWriter& request) {
    if (m_state != State::Connected || !SettleOutstandingRead()) {
        return std::nullopt;
    }
    if (!wire::SendFrame(m_fd, request.Bytes())) {
        LoseConnection(kLostProblem);
        return std::nullopt;
    }
    return ReceiveReply(static_cast<Op>(request.Bytes()[0]));
}

std::optional<std::string_view> CRapiClient::ReceiveReply(Op op) {
    KeepFrameOwnersBytes();
    const wire::FrameStatus status = wire::ReceiveFrame(m_fd, m_frame, m_callTimeoutMs);
    const std::string_view reply = m_frame.Body();
    if (status == wire::FrameStatus::TimedOut) {
        LoseConnection("the handheld did not answer within " + std::to_string(m_callTimeoutMs) +
                       " ms");
        return std::nullopt;
    }
    // A length of nought or past the limit is no frame at all.
    if (status == wire::FrameStatus::TooLarge) {
        LoseToMalformedReply();
        return std::nullopt;
    }
    if (status != wire::FrameStatus::Ok) {
        LoseConnection(kLostProblem);
        return std::nullopt;
    }
    const std::optional<std::string_view> fields = wire::ReplyFields(reply, op);
    if (!fields) {
        LoseToMalformedReply();
    }
    return fields;
}

void CRapiClient::LoseConnection(const std::string& problem, LinkFault fault) {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    m_state = State::Lost;
    SetProblem(fault, problem);
    m_outstandingRead = 0;
}

void CRapiClient::LoseToMalformedReply() {
    LoseConnection(kMalformedReplyProblem, LinkFault::Malformed);
}

std::optional<bool> CRapiClient::SimpleCall(const CWireWriter& request) {
    const auto reply = Call(request);
    if (!reply) {
        return std::nullopt;
    }
    const std::optional<bool> answer = wire::ReadAnswer(*reply);
    if (!answer) {
        LoseToMalformedReply();
    }
    return answer;
}

BOOL CRapiClient::FindAllFiles(LPCWSTR pattern, DWORD flags, DWORD* count, CE_FIND_DATA** entries) {
    std::lock_guard lock(m_mutex);
    const auto path = wire::DevicePathArgument(pattern);
    if (!path || count == nullptr || entries == nullptr) {
        return FALSE;
    }
    *count = 0;
    *entries = nullptr;
    m_skippedFindEntries = 0;
    const auto reply = Call(wire::FindAllFilesRequest(*path, flags));
    if (!reply) {
        return FALSE;
    }
    CWireReader reader(*reply);
    const std::optional<wire::ListingHead> head = wire::ReadListingHead(reader);
    if (!head) {
        LoseToMalformedReply();
        return FALSE;
    }
    if (!head->found) {
        return FALSE;
    }
    return head->count == 0 || ReadListing(reader, head->count, count, entries) ? TRUE : FALSE;
}

// Fills a listing array with the entries of a reply, leaving out names too long for a
// record; it is handed out only when it holds any.
bool CRapiClient::ReadListing(CWireReader& reader, std::uint32_t found, DWORD* count,
                              CE_FIND_DATA** entries) {
    CListingArray listing(found);
    CE_FIND_DATA* array = listing.Entries();
    if (array == nullptr) {
        return false;
    }
    const std::optional<std::uint32_t> kept = wire::ReadListingEntries(reader, found, array);
    if (!kept) {
        LoseToMalformedReply();
        return false;
    }
    m_skippedFindEntries = found - *kept;
    if (*kept > 0) {
        m_findBuffers.emplace(array, std::move(listing));
        *count = *kept;
        *entries = array;
    }
    return true;
}

HRESULT CRapiClient::FreeBuffer(void* buffer) {
    std::lock_guard lock(m_mutex);
    return m_findBuffers.erase(static_cast<CE_FIND_DATA*>(buffer)) == 0 ? E_INVALIDARG : S_OK;
}

HANDLE CRapiClient::OpenForReading(LPCWSTR path, DWORD access, DWORD share, DWORD disposition,
                                   DWORD attributes) {
    std::lock_guard lock(m_mutex);
    const auto text = wire::DevicePathArgument(path);
    if (!text || access != GENERIC_READ || disposition != OPEN_EXISTING) {
        return INVALID_HANDLE_VALUE;
    }
    const auto reply = Call(wire::CreateFileRequest(*text, access, share, disposition, attributes));
    if (!reply) {
        return INVALID_HANDLE_VALUE;
    }
    const std::optional<std::uint32_t> id = wire::ReadHandle(*reply);
    // A handle that is already open cannot be handed out again.
    if (!id || m_readAhead.count(*id) != 0) {
        LoseToMalformedReply();
        return INVALID_HANDLE_VALUE;
    }
    if (*id == 0 || *id == 0xFFFFFFFFu) {
        return INVALID_HANDLE_VALUE;
    }
    m_readAhead[*id] = ReadAhead{};
    return HandleFromId(*id);
}

// Asks for the handle's next block without waiting for it.
bool CRapiClient::RequestBlock(std::uint32_t handle) {
    if (!wire::SendFrame(m_fd, wire::ReadFileRequest(handle, kReadAheadBytes).Bytes())) {
        LoseConnection(kLostProblem);
        return false;
    }
    m_outstandingRead = handle;
    return true;
}

// Receives the handle's next block into the frame buffer and at once asks for the
// one after it, so that the handheld reads and sends it while this one is handed out.
bool CRapiClient::FetchBlock(std::uint32_t handle, ReadAhead& ahead) {
    if (m_state != State::Connected) {
        return false;
    }
    if (m_outstandingRead != handle && (!SettleOutstandingRead() || !RequestBlock(handle))) {
        return false;
    }
    m_outstandingRead = 0;
    const auto reply = ReceiveReply(Op::ReadFile);
    if (!reply || !TakeReadReply(*reply, &ahead, true)) {
        return false;
    }
    m_frameOwner = handle;
    if (!ahead.endOfFile && !ahead.failed) {
        RequestBlock(handle);  // a failure shows at the next call
    }
    return true;
}

// Another call needs the connection while a block is on its way: the block is taken
// in now and kept with its file.
bool CRapiClient::SettleOutstandingRead() {
    if (m_outstandingRead == 0) {
        return true;
    }
    const std::uint32_t handle = std::exchange(m_outstandingRead, 0);
    const auto reply = ReceiveReply(Op::ReadFile);
    if (!reply) {
        return false;
    }
    const auto found = m_readAhead.find(handle);
    return TakeReadReply(*reply, found == m_readAhead.end() ? nullptr : &found->second, false);
}

// Takes in a block; its bytes follow those the file still has pending. A failed block
// hands out nothing: short data after a failure must never pass for the end of the
// file.
bool CRapiClient::TakeReadReply(std::string_view reply, ReadAhead* ahead, bool intoFrame) {
    const std::optional<wire::BlockReply> block = wire::ReadBlock(reply, kReadAheadBytes);
    if (!block) {
        LoseToMalformedReply();
        return false;
    }
    if (ahead == nullptr) {
        return true;  // the file was closed meanwhile
    }
    const std::string_view data = block->data;
    ahead->failed = !block->ok;
    ahead->endOfFile = block->ok && data.size() < kReadAheadBytes;
    if (ahead->failed) {
        ahead->pending = {};
    } else if (intoFrame) {
        ahead->pending = data;
    } else {
        std::string joined;
        joined.reserve(ahead->pending.size() + data.size());
        joined.append(ahead->pending).append(data);
        ahead->kept = std::move(joined);
        ahead->pending = ahead->kept;
    }
    return true;
}

// The frame buffer is about to take a new reply: bytes of a file still pending in it
// are moved to the file's own keeping first.
void CRapiClient::KeepFrameOwnersBytes() {
    if (m_frameOwner == 0) {
        return;
    }
    const auto found = m_readAhead.find(std::exchange(m_frameOwner, 0));
    if (found != m_readAhead.end()) {
        ReadAhead& ahead = found->second;
        ahead.kept.assign(ahead.pending);
        ahead.pending = ahead.kept;
    }
}

BOOL CRapiClient::Read(HANDLE file, void* buffer, DWORD size, DWORD* read) {
    std::lock_guard lock(m_mutex);
    const std::uint32_t id = HandleId(file);
    const auto found = m_readAhead.find(id);
    if (found == m_readAhead.end() || buffer == nullptr || read == nullptr) {
        return FALSE;
    }
    *read = 0;
    if (m_state != State::Connected) {
        return FALSE;
    }
    ReadAhead& ahead = found->second;
    auto* into = static_cast<char*>(buffer);
    std::size_t copied = 0;
    while (copied < size) {
        if (!ahead.pending.empty()) {
            const std::size_t count = std::min<std::size_t>(size - copied, ahead.pending.size());
            std::memcpy(into + copied, ahead.pending.data(), count);
            ahead.pending.remove_prefix(count);
            copied += count;
        } else if (ahead.endOfFile) {
            break;
        } else if (ahead.failed || !FetchBlock(id, ahead) || ahead.failed) {
            // A read that failed part-way hands out nothing more.
            ahead.failed = true;
            return FALSE;
        }
    }
    *read = static_cast<DWORD>(copied);
    return TRUE;
}

DWORD CRapiClient::FileSize(HANDLE file, DWORD* high) {
    std::lock_guard lock(m_mutex);
    const auto reply = Call(wire::HandleRequest(Op::GetFileSize, HandleId(file)));
    std::optional<wire::FileSizeReply> size;
    if (reply) {
        size = wire::ReadFileSize(*reply);
        if (!size) {
            LoseToMalformedReply();
        }
    }
    if (high != nullptr) {
        *high = size ? size->high : 0;
    }
    return size ? size->low : INVALID_FILE_SIZE;
}

BOOL CRapiClient::Close(HANDLE file) {
    std::lock_guard lock(m_mutex);
    const std::uint32_t id = HandleId(file);
    if (m_readAhead.erase(id) == 0) {
        return FALSE;
    }
    if (m_frameOwner == id) {
        m_frameOwner = 0;
    }
    return SimpleCall(wire::HandleRequest(Op::CloseHandle, id)).value_or(false) ? TRUE : FALSE;
}

BOOL CRapiClient::DeleteFile(LPCWSTR path) {
    std::lock_guard lock(m_mutex);
    const auto text = wire::DevicePathArgument(path);
    if (!text) {
        return FALSE;
    }
    return SimpleCall(wire::PathRequest(Op::DeleteFile, *text)).value_or(false) ? TRUE : FALSE;
}

BOOL CRapiClient::CreateDirectory(LPCWSTR path) {
    std::lock_guard lock(m_mutex);
    const auto text = wire::DevicePathArgument(path);
    if (!text) {
        return FALSE;
    }
    return SimpleCall(wire::PathRequest(Op::CreateDirectory, *text)).value_or(false) ? TRUE : FALSE;
}

std::string CRapiClient::LastProblem() {
    std::lock_guard lock(m_mutex);
    return m_problem;
}

LinkFault CRapiClient::LastFault() {
    std::lock_guard lock(m_mutex);
    return m_fault;
}

DWORD CRapiClient::SkippedFindEntries() {
    std::lock_guard lock(m_mutex);
    return m_skippedFindEntries;
}

bool CRapiClient::IsConnectionLost() {
    std::lock_guard lock(m_mutex);
    return m_state == State::Lost;
}

void CRapiClient::SetCallTimeoutMs(int milliseconds) {
    std::lock_guard lock(m_mutex);
    m_callTimeoutMs = milliseconds;
}

// The published entry points.

HRESULT CeRapiInitEx(RAPIINIT* pRapiInit) {
    return CRapiClient::Instance().Init(pRapiInit);
}
HRESULT CeRapiUninit() {
    return CRapiClient::Instance().Uninit();
}
BOOL CeFindAllFiles(LPCWSTR szPath, DWORD dwFlags, DWORD* lpdwFoundCount,
                    CE_FIND_DATA** ppFindDataArray) {
    return CRapiClient::Instance().FindAllFiles(szPath, dwFlags, lpdwFoundCount, ppFindDataArray);
}
HRESULT CeRapiFreeBuffer(void* Buffer) {
    return CRapiClient::Instance().FreeBuffer(Buffer);
}
HANDLE CeCreateFile(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                    void* /*lpSecurityAttributes*/, DWORD dwCreationDisposition,
                    DWORD dwFlagsAndAttributes, HANDLE /*hTemplateFile*/) {
    return CRapiClient::Instance().OpenForReading(lpFileName, dwDesiredAccess, dwShareMode,
                                                  dwCreationDisposition, dwFlagsAndAttributes);
}
BOOL CeReadFile(HANDLE hFile, void* lpBuffer, DWORD nNumberOfBytesToRead,
                DWORD* lpNumberOfBytesRead, void* /*lpOverlapped*/) {
    return CRapiClient::Instance().Read(hFile, lpBuffer, nNumberOfBytesToRead, lpNumberOfBytesRead);
}
DWORD CeGetFileSize(HANDLE hFile, DWORD* lpFileSizeHigh) {
    return CRapiClient::Instance().FileSize(hFile, lpFileSizeHigh);
}
BOOL CeCloseHandle(HANDLE hObject) {
    return CRapiClient::Instance().Close(hObject);
}
BOOL CeDeleteFile(LPCWSTR lpFileName) {
    return CRapiClient::Instance().DeleteFile(lpFileName);
}
BOOL CeCreateDirectory(LPCWSTR lpPathName, void* /*lpSecurityAttributes*/) {
    return CRapiClient::Instance().CreateDirectory(lpPathName);
}
DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
    return CRapiClient::Instance().Wait(hHandle, dwMilliseconds);
}
std::string LastConnectionProblem() {
    return CRapiClient::Instance().LastProblem();
}
bool IsConnectionLost() {
    return CRapiClient::Instance().IsConnectionLost();
}
LinkFault LastConnectionFault() {
    return CRapiClient::Instance().LastFault();
}
DWORD SkippedFindEntries() {
    return CRapiClient::Instance().SkippedFindEntries();
}

}  // namespace kiro::rapi
