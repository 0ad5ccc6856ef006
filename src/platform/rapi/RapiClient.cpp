#include "platform/rapi/RapiClient.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "platform/rapi/Rapi.h"
#include "platform/rapi/RapiConstants.h"

namespace kiro::rapi {
namespace {

using wire::CWireReader;
using wire::CWireWriter;
using wire::Op;

constexpr int kRetryMs = 50;
constexpr int kCallTimeoutMs = 30000;
// The client reads ahead in blocks this large, so that a copy in small chunks does
// not pay one round trip per chunk.
constexpr std::uint32_t kReadAheadBytes = 256 * 1024;
constexpr std::size_t kMaxFindEntries = 1000000;

std::uint32_t HandleId(HANDLE handle) {
    const auto value = reinterpret_cast<std::uintptr_t>(handle);
    return value > 0 && value <= 0xFFFFFFFEu ? static_cast<std::uint32_t>(value) : 0;
}

HANDLE HandleFromId(std::uint32_t id) {
    return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(id));
}

// A null-terminated wide path of at most MAX_PATH - 1 characters.
std::optional<std::u16string> PathArgument(LPCWSTR path) {
    if (path == nullptr) {
        return std::nullopt;
    }
    std::u16string text;
    while (path[text.size()] != u'\0') {
        if (text.size() >= MAX_PATH - 1) {
            return std::nullopt;
        }
        text.push_back(path[text.size()]);
    }
    return text;
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

bool ReadFindEntry(CWireReader& reader, CE_FIND_DATA& entry) {
    std::uint32_t timeLow = 0;
    std::uint32_t timeHigh = 0;
    std::u16string name;
    if (!reader.GetU32(entry.dwFileAttributes) || !reader.GetU32(timeLow) ||
        !reader.GetU32(timeHigh) || !reader.GetU32(entry.nFileSizeHigh) ||
        !reader.GetU32(entry.nFileSizeLow) || !reader.GetText(name, MAX_PATH - 1)) {
        return false;
    }
    entry.ftLastWriteTime = {timeLow, timeHigh};
    entry.ftCreationTime = entry.ftLastWriteTime;
    entry.ftLastAccessTime = entry.ftLastWriteTime;
    entry.dwOID = 0;
    std::fill(std::begin(entry.cFileName), std::end(entry.cFileName), u'\0');
    std::copy(name.begin(), name.end(), entry.cFileName);
    return true;
}

}  // namespace

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
    m_problem.clear();
    m_stop = false;
    m_helper = std::thread(&CRapiClient::SeekHandheld, this, wire::DefaultSocketPath());
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
    for (CE_FIND_DATA* buffer : m_findBuffers) {
        delete[] buffer;
    }
    m_findBuffers.clear();
    m_state = State::Uninitialised;
    return S_OK;
}

void CRapiClient::SeekHandheld(std::string socketPath) {
    std::unique_lock lock(m_mutex);
    while (!m_stop) {
        lock.unlock();
        const int fd = ConnectTo(socketPath);
        const bool greeted = fd >= 0 && Greet(fd);
        lock.lock();
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

// Says hello and waits for the handheld's answer, giving up when told to stop.
bool CRapiClient::Greet(int fd) {
    CWireWriter hello(Op::Hello);
    hello.PutU32(wire::kGreetingMagic);
    hello.PutU32(wire::kProtocolVersion);
    if (!wire::SendFrame(fd, hello.Bytes())) {
        return false;
    }
    std::string body;
    wire::FrameStatus status = wire::FrameStatus::TimedOut;
    while (!m_stop && status == wire::FrameStatus::TimedOut) {
        status = wire::ReceiveFrame(fd, body, kRetryMs);
    }
    CWireReader reader(body);
    std::uint8_t op = 0;
    std::uint32_t answer = 0;
    if (status != wire::FrameStatus::Ok || !reader.GetU8(op) || op != static_cast<int>(Op::Hello) ||
        !reader.GetU32(answer)) {
        return false;
    }
    if (answer == static_cast<std::uint32_t>(wire::GreetingStatus::Accepted)) {
        return true;
    }
    std::lock_guard lock(m_mutex);
    m_state = State::Refused;
    m_problem = answer == static_cast<std::uint32_t>(wire::GreetingStatus::Busy)
                    ? "the handheld is already serving another program"
                    : "the handheld speaks another protocol version";
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
            if (m_problem.empty()) {
                m_problem = "nothing answers at " + wire::DefaultSocketPath();
            }
            return WAIT_TIMEOUT;
        default:
            return WAIT_FAILED;
    }
}

std::optional<std::string> CRapiClient::Call(const CWireWriter& request) {
    if (m_state != State::Connected) {
        return std::nullopt;
    }
    std::string reply;
    if (!wire::SendFrame(m_fd, request.Bytes()) ||
        wire::ReceiveFrame(m_fd, reply, kCallTimeoutMs) != wire::FrameStatus::Ok ||
        reply[0] != request.Bytes()[0]) {
        LoseConnection("the connection to the handheld was lost");
        return std::nullopt;
    }
    return reply.substr(1);
}

void CRapiClient::LoseConnection(const std::string& problem) {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    m_state = State::Lost;
    m_problem = problem;
}

std::optional<bool> CRapiClient::SimpleCall(const CWireWriter& request) {
    const auto reply = Call(request);
    if (!reply) {
        return std::nullopt;
    }
    CWireReader reader(*reply);
    std::uint32_t ok = 0;
    if (!reader.GetU32(ok)) {
        LoseConnection("the handheld sent a malformed reply");
        return std::nullopt;
    }
    return ok != 0;
}

BOOL CRapiClient::FindAllFiles(LPCWSTR pattern, DWORD flags, DWORD* count, CE_FIND_DATA** entries) {
    std::lock_guard lock(m_mutex);
    const auto path = PathArgument(pattern);
    if (!path || count == nullptr || entries == nullptr) {
        return FALSE;
    }
    *count = 0;
    *entries = nullptr;
    CWireWriter request(Op::FindAllFiles);
    request.PutText(*path);
    request.PutU32(flags);
    const auto reply = Call(request);
    if (!reply) {
        return FALSE;
    }
    CWireReader reader(*reply);
    std::uint32_t ok = 0;
    std::uint32_t found = 0;
    // Each entry takes at least 24 bytes, which bounds a believable count.
    if (!reader.GetU32(ok) || !reader.GetU32(found) || found > kMaxFindEntries ||
        found > reader.Remaining() / 24) {
        LoseConnection("the handheld sent a malformed listing");
        return FALSE;
    }
    if (ok == 0) {
        return FALSE;
    }
    auto* array = found > 0 ? new CE_FIND_DATA[found] : nullptr;
    for (std::uint32_t i = 0; i < found; ++i) {
        if (!ReadFindEntry(reader, array[i])) {
            delete[] array;
            LoseConnection("the handheld sent a malformed listing");
            return FALSE;
        }
    }
    if (array != nullptr) {
        m_findBuffers.insert(array);
    }
    *count = found;
    *entries = array;
    return TRUE;
}

HRESULT CRapiClient::FreeBuffer(void* buffer) {
    std::lock_guard lock(m_mutex);
    const auto found = m_findBuffers.find(static_cast<CE_FIND_DATA*>(buffer));
    if (found == m_findBuffers.end()) {
        return E_INVALIDARG;
    }
    delete[] * found;
    m_findBuffers.erase(found);
    return S_OK;
}

HANDLE CRapiClient::OpenForReading(LPCWSTR path, DWORD access, DWORD share, DWORD disposition,
                                   DWORD attributes) {
    std::lock_guard lock(m_mutex);
    const auto text = PathArgument(path);
    if (!text || access != GENERIC_READ || disposition != OPEN_EXISTING) {
        return INVALID_HANDLE_VALUE;
    }
    CWireWriter request(Op::CreateFile);
    request.PutText(*text);
    request.PutU32(access);
    request.PutU32(share);
    request.PutU32(disposition);
    request.PutU32(attributes);
    const auto reply = Call(request);
    std::uint32_t id = 0;
    if (!reply || !CWireReader(*reply).GetU32(id) || id == 0 || id == 0xFFFFFFFFu) {
        return INVALID_HANDLE_VALUE;
    }
    m_readAhead[id] = ReadAhead{};
    return HandleFromId(id);
}

bool CRapiClient::FetchMore(std::uint32_t handle, ReadAhead& ahead, std::size_t wanted) {
    CWireWriter request(Op::ReadFile);
    request.PutU32(handle);
    const auto size = static_cast<std::uint32_t>(
        std::clamp<std::size_t>(wanted, kReadAheadBytes, wire::kMaxReadBytes));
    request.PutU32(size);
    const auto reply = Call(request);
    if (!reply) {
        ahead.failed = true;
        return false;
    }
    CWireReader reader(*reply);
    std::uint32_t ok = 0;
    std::string data;
    if (!reader.GetU32(ok) || !reader.GetBytes(data, size)) {
        LoseConnection("the handheld sent a malformed reply");
        ahead.failed = true;
        return false;
    }
    const std::size_t received = data.size();
    if (ahead.position == ahead.buffered.size()) {
        ahead.buffered.swap(data);
    } else {
        ahead.buffered.erase(0, ahead.position);
        ahead.buffered += data;
    }
    ahead.position = 0;
    ahead.failed = ok == 0;
    ahead.endOfFile = ok != 0 && received < size;
    return true;
}

BOOL CRapiClient::Read(HANDLE file, void* buffer, DWORD size, DWORD* read) {
    std::lock_guard lock(m_mutex);
    const std::uint32_t id = HandleId(file);
    const auto found = m_readAhead.find(id);
    if (found == m_readAhead.end() || buffer == nullptr || read == nullptr) {
        return FALSE;
    }
    *read = 0;
    ReadAhead& ahead = found->second;
    while (ahead.buffered.size() - ahead.position < size && !ahead.endOfFile && !ahead.failed) {
        FetchMore(id, ahead, size - (ahead.buffered.size() - ahead.position));
    }
    // A read that failed part-way hands out nothing more: short data after a failure
    // must never pass for the end of the file.
    if (ahead.failed) {
        return FALSE;
    }
    const std::size_t count = std::min<std::size_t>(size, ahead.buffered.size() - ahead.position);
    std::memcpy(buffer, ahead.buffered.data() + ahead.position, count);
    ahead.position += count;
    *read = static_cast<DWORD>(count);
    return TRUE;
}

DWORD CRapiClient::FileSize(HANDLE file, DWORD* high) {
    std::lock_guard lock(m_mutex);
    CWireWriter request(Op::GetFileSize);
    request.PutU32(HandleId(file));
    const auto reply = Call(request);
    std::uint32_t low = INVALID_FILE_SIZE;
    std::uint32_t upper = 0;
    if (reply) {
        CWireReader reader(*reply);
        if (!reader.GetU32(low) || !reader.GetU32(upper)) {
            low = INVALID_FILE_SIZE;
        }
    }
    if (high != nullptr) {
        *high = upper;
    }
    return low;
}

BOOL CRapiClient::Close(HANDLE file) {
    std::lock_guard lock(m_mutex);
    const std::uint32_t id = HandleId(file);
    if (m_readAhead.erase(id) == 0) {
        return FALSE;
    }
    CWireWriter request(Op::CloseHandle);
    request.PutU32(id);
    return SimpleCall(request).value_or(false) ? TRUE : FALSE;
}

BOOL CRapiClient::DeleteFile(LPCWSTR path) {
    std::lock_guard lock(m_mutex);
    const auto text = PathArgument(path);
    if (!text) {
        return FALSE;
    }
    CWireWriter request(Op::DeleteFile);
    request.PutText(*text);
    return SimpleCall(request).value_or(false) ? TRUE : FALSE;
}

BOOL CRapiClient::CreateDirectory(LPCWSTR path) {
    std::lock_guard lock(m_mutex);
    const auto text = PathArgument(path);
    if (!text) {
        return FALSE;
    }
    CWireWriter request(Op::CreateDirectory);
    request.PutText(*text);
    return SimpleCall(request).value_or(false) ? TRUE : FALSE;
}

std::string CRapiClient::LastProblem() {
    std::lock_guard lock(m_mutex);
    return m_problem;
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

}  // namespace kiro::rapi
