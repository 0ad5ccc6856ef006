// The remote API client parsing replies from a hostile handheld. A fake handheld on a
// Unix socket greets the client and then sends the fuzzer's bytes as its replies,
// whatever the client asks; the device link lists, copies, deletes and creates
// through the real client. Every malformed reply must end the call cleanly, and a
// copy must either arrive whole or leave the PC folder as it was.
//
// Input: the greeting's answer, a short plan of device-link operations, then the raw
// byte stream the handheld sends (frames of a 32-bit little-endian length and a body).
//
// Apart from the client's own helper the target runs on one thread: the handheld's
// side is served from inside the client's initialisation, and every reply is already
// waiting when the client asks. A thread playing the handheld would cost a wake-up per
// call, which on a busy machine slows the fuzzer down several times.

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "FuzzCheck.h"
#include "devicelink/DeviceLink.h"
#include "devicelink/MemoryControls.h"
#include "devicelink/RapiRemoteApi.h"
#include "platform/Utf16.h"
#include "platform/rapi/WireCodec.h"

namespace {

namespace fs = std::filesystem;
using kiro::fuzz::Require;

constexpr int kAcceptTimeoutMs = 5000;
constexpr int kMaxFrames = 100;
// The whole stream must fit the socket's buffer at once.
constexpr std::size_t kMaxInputBytes = 64 * 1024;
constexpr const char* kEarlierContent = "an earlier copy that must survive";
constexpr const char* kCopyName = "lamp.scope_ks";

std::string ReadWholeFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// A folder for the socket and the PC side of copies, removed at exit.
class CHostileHandheld {
public:
    CHostileHandheld() {
        std::string pattern = (fs::temp_directory_path() / "kiroconv-fuzz-client-XXXXXX").string();
        Require(::mkdtemp(pattern.data()) != nullptr, "a throwaway folder can be made");
        m_folder = pattern;
        m_pcFolder = m_folder / "pc";
        fs::create_directory(m_pcFolder);
        const std::string socketPath = (m_folder / "handheld.sock").string();
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        Require(socketPath.size() < sizeof address.sun_path, "the socket path fits");
        std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
        m_listenFd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        Require(m_listenFd >= 0 &&
                    ::bind(m_listenFd, reinterpret_cast<const sockaddr*>(&address),
                           sizeof address) == 0 &&
                    ::listen(m_listenFd, 4) == 0,
                "the fake handheld listens");
        ::setenv("KIROSCAN_SOCKET", socketPath.c_str(), 1);
    }
    ~CHostileHandheld() {
        ::close(m_listenFd);
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
    }
    CHostileHandheld(const CHostileHandheld&) = delete;
    CHostileHandheld& operator=(const CHostileHandheld&) = delete;

    const fs::path& PcFolder() const { return m_pcFolder; }

    // Takes the client that is connecting, hands it the whole stream at once and ends
    // it; returns the connection, to be closed once the client is done, or -1. The
    // requests are never read: the stream answers them blindly.
    int AcceptAndSend(std::string_view stream) const {
        pollfd waiting{m_listenFd, POLLIN, 0};
        int ready = 0;
        do {
            ready = ::poll(&waiting, 1, kAcceptTimeoutMs);  // libFuzzer's timer interrupts
        } while (ready < 0 && errno == EINTR);
        if (ready <= 0) {
            return -1;
        }
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            return -1;
        }
        const ssize_t sent = ::send(fd, stream.data(), stream.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        Require(sent == static_cast<ssize_t>(stream.size()), "the whole stream fits the socket");
        ::shutdown(fd, SHUT_WR);
        return fd;
    }

    // A connection still waiting once the client is done (one that came after the
    // wait for it gave up) must not answer the next input's client.
    void CloseLeftovers() const {
        for (int fd; (fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;) {
            ::close(fd);
        }
    }

private:
    fs::path m_folder;
    fs::path m_pcFolder;
    int m_listenFd = -1;
};

CHostileHandheld* g_handheld = nullptr;

void RemoveThrowawayFolder() {
    delete g_handheld;
    g_handheld = nullptr;
}

class CSilentMessageBox final : public kiro::IMessageBox {
public:
    kiro::MessageAnswer Show(const kiro::MessageBoxRequest& request) override {
        return request.defaultAnswer;
    }
};

// A progress bar that insists on staying within its range.
class CCheckedProgressBar final : public kiro::IProgressBar {
public:
    void SetRange(int lower, int upper) override {
        Require(lower == 0 && upper >= 1 && upper <= 65535, "the progress range is 16 bits");
        m_upper = upper;
    }
    void SetPos(int position) override {
        Require(position >= 0 && position <= m_upper, "the progress stays within its range");
    }
    void Repaint() override {}

private:
    int m_upper = -1;
};

std::string Greeting(std::uint8_t choice) {
    // Mostly a welcome; now and then a refusal or an answer the client does not know.
    const std::uint32_t answer = choice < 0xF0 ? 0u : choice - 0xEFu;
    kiro::wire::CWireWriter hello(kiro::wire::Op::Hello);
    hello.PutU32(answer);
    hello.PutU32(kiro::wire::kProtocolVersion);
    std::string frame;
    const auto size = static_cast<std::uint32_t>(hello.Bytes().size());
    for (int i = 0; i < 4; ++i) {
        frame.push_back(static_cast<char>(size >> (8 * i)));
    }
    return frame + hello.Bytes();
}

// Shapes the stream without changing what the client makes of it:
// - a frame that announces more bytes than the stream still holds can never complete,
//   and the client fails that call whatever the size announced. Announcing one byte
//   more than is left keeps that outcome while sparing the client a buffer of up to
//   32 MiB per input, which would slow the fuzzer down a hundredfold;
// - the stream ends after kMaxFrames frames, so that the requests nobody reads never
//   fill the socket (the client sends at most one per frame it reads, plus one).
std::string PrepareStream(std::string stream) {
    std::size_t at = 0;
    for (int frames = 0; stream.size() - at >= 4; ++frames) {
        if (frames == kMaxFrames) {
            stream.resize(at);
            break;
        }
        std::uint32_t length = 0;
        for (std::size_t i = 4; i-- > 0;) {
            length = length << 8 | static_cast<unsigned char>(stream[at + i]);
        }
        const std::size_t left = stream.size() - at - 4;
        if (length == 0 || length > kiro::wire::kMaxFrameBytes) {
            break;  // refused before any buffer is made
        }
        if (length > left) {
            const auto announced = static_cast<std::uint32_t>(left + 1);
            for (std::size_t i = 0; i < 4; ++i) {
                stream[at + i] = static_cast<char>(announced >> (8 * i));
            }
            break;
        }
        at += 4 + length;
    }
    return stream;
}

bool IsUtf8(const std::string& text) {
    return kiro::Utf8ToUtf16(text).has_value();
}

// The real remote API, except that initialisation also serves the client its
// stream: the client's helper connects, and finds the greeting and every later reply
// already waiting.
class CServedRemoteApi final : public kiro::IRemoteApi {
public:
    CServedRemoteApi(const CHostileHandheld& handheld, std::string stream)
        : m_handheld(handheld), m_stream(std::move(stream)) {}
    ~CServedRemoteApi() override { CloseHandheldSide(); }
    CServedRemoteApi(const CServedRemoteApi&) = delete;
    CServedRemoteApi& operator=(const CServedRemoteApi&) = delete;

    kiro::rapi::HRESULT CeRapiInitEx(kiro::rapi::RAPIINIT* init) override {
        const kiro::rapi::HRESULT result = m_api.CeRapiInitEx(init);
        if (result >= 0 && m_handheldFd < 0) {
            m_handheldFd = m_handheld.AcceptAndSend(m_stream);
        }
        return result;
    }
    kiro::rapi::HRESULT CeRapiUninit() override {
        const kiro::rapi::HRESULT result = m_api.CeRapiUninit();
        CloseHandheldSide();
        return result;
    }
    kiro::rapi::DWORD WaitForSingleObject(kiro::rapi::HANDLE handle,
                                          kiro::rapi::DWORD milliseconds) override {
        return m_api.WaitForSingleObject(handle, milliseconds);
    }
    kiro::rapi::BOOL CeFindAllFiles(kiro::rapi::LPCWSTR path, kiro::rapi::DWORD flags,
                                    kiro::rapi::DWORD* count,
                                    kiro::rapi::CE_FIND_DATA** entries) override {
        return m_api.CeFindAllFiles(path, flags, count, entries);
    }
    kiro::rapi::HRESULT CeRapiFreeBuffer(void* buffer) override {
        return m_api.CeRapiFreeBuffer(buffer);
    }
    kiro::rapi::HANDLE CeCreateFile(kiro::rapi::LPCWSTR path, kiro::rapi::DWORD access,
                                    kiro::rapi::DWORD share, void* security,
                                    kiro::rapi::DWORD disposition, kiro::rapi::DWORD attributes,
                                    kiro::rapi::HANDLE templateFile) override {
        return m_api.CeCreateFile(path, access, share, security, disposition, attributes,
                                  templateFile);
    }
    kiro::rapi::BOOL CeReadFile(kiro::rapi::HANDLE file, void* buffer, kiro::rapi::DWORD size,
                                kiro::rapi::DWORD* read, void* overlapped) override {
        return m_api.CeReadFile(file, buffer, size, read, overlapped);
    }
    kiro::rapi::DWORD CeGetFileSize(kiro::rapi::HANDLE file, kiro::rapi::DWORD* high) override {
        return m_api.CeGetFileSize(file, high);
    }
    kiro::rapi::BOOL CeCloseHandle(kiro::rapi::HANDLE handle) override {
        return m_api.CeCloseHandle(handle);
    }
    kiro::rapi::BOOL CeDeleteFile(kiro::rapi::LPCWSTR path) override {
        return m_api.CeDeleteFile(path);
    }
    kiro::rapi::BOOL CeCreateDirectory(kiro::rapi::LPCWSTR path, void* security) override {
        return m_api.CeCreateDirectory(path, security);
    }
    bool IsConnectionLost() override { return m_api.IsConnectionLost(); }

private:
    void CloseHandheldSide() {
        if (m_handheldFd >= 0) {
            ::close(m_handheldFd);
            m_handheldFd = -1;
        }
    }

    kiro::CRapiRemoteApi m_api;
    const CHostileHandheld& m_handheld;
    std::string m_stream;
    int m_handheldFd = -1;
};

class CPlanRunner {
public:
    CPlanRunner(kiro::CDeviceLink& link, kiro::IRemoteApi& api, const fs::path& pcFolder)
        : m_link(link), m_api(api), m_pcFolder(pcFolder) {}

    void Run(std::uint8_t step) {
        switch (step & 7) {
            case 0:
                FillTree();
                break;
            case 1:
                FillList();
                break;
            case 2:
            case 3:
                Transfer(step >> 3, (step & 1) != 0);
                break;
            case 4:
                Require(m_link.DeleteDeviceFile(u"\\My Documents", u"lamp.scope_ks") <= 1,
                        "a delete answers 0 or 1");
                break;
            case 5:
                Require(m_link.CreateDeviceDirectory(u"\\My Documents\\Run 7") <= 1,
                        "a new folder answers 0 or 1");
                break;
            default:
                RawListing();
                break;
        }
    }

private:
    void FillTree() {
        kiro::CMemoryTree tree;
        const kiro::TreeItem root = tree.InsertItem(kiro::kRootItemLabel, 2, 2, 0);
        m_link.FillFolderTree(u"\\", kiro::kTreeFindFlags, tree, root);
        CheckLabels(tree, root);
    }

    void CheckLabels(const kiro::CMemoryTree& tree, kiro::TreeItem item) {
        Require(IsUtf8(tree.GetItemText(item)), "tree labels are valid UTF-8");
        for (const kiro::TreeItem child : tree.Children(item)) {
            CheckLabels(tree, child);
        }
    }

    void FillList() {
        kiro::CMemoryFileList list;
        m_link.FillFileList(u"\\My Documents", list);
        for (int row = 0; row < list.GetItemCount(); ++row) {
            for (int column = 0; column < 4; ++column) {
                Require(IsUtf8(list.GetItemText(row, column)), "list texts are valid UTF-8");
            }
            Require(!list.GetItemText(row, 1).empty(), "every file has a kind");
        }
    }

    // Copies one file, into an empty PC folder or over an earlier copy, and checks
    // that the folder then holds the whole copy or exactly what it held before.
    void Transfer(std::uint8_t chunkChoice, bool overEarlierCopy) {
        const fs::path target = m_pcFolder / kCopyName;
        if (overEarlierCopy) {
            std::ofstream(target, std::ios::binary) << kEarlierContent;
        }
        const bool hadEarlier = fs::exists(target);
        const std::string earlier = hadEarlier ? ReadWholeFile(target) : std::string();
        const std::uint32_t chunk = std::uint32_t{1} << (chunkChoice % 17);
        CCheckedProgressBar progress;
        const std::int64_t result = m_link.TransferFile(
            u"\\My Documents", u"lamp.scope_ks", m_pcFolder.string(), kCopyName, chunk, &progress);
        std::vector<fs::path> entries;
        for (const auto& entry : fs::directory_iterator(m_pcFolder)) {
            entries.push_back(entry.path());
        }
        Require(entries.size() <= 1 && (entries.empty() || entries[0] == target),
                "a copy leaves nothing but its target behind");
        if (result >= 0) {
            Require(
                fs::exists(target) && fs::file_size(target) == static_cast<std::uintmax_t>(result),
                "a copy that succeeds has all the bytes it counts");
        } else {
            Require(fs::exists(target) == hadEarlier &&
                        (!hadEarlier || ReadWholeFile(target) == earlier),
                    "a failed copy leaves the PC folder as it was");
        }
    }

    void RawListing() {
        kiro::rapi::DWORD count = 0;
        kiro::rapi::CE_FIND_DATA* entries = nullptr;
        if (m_api.CeFindAllFiles(u"\\*", kiro::kListFindFlags, &count, &entries) == 0) {
            return;
        }
        Require(count == 0 || entries != nullptr, "a listing with entries has its array");
        for (kiro::rapi::DWORD i = 0; i < count; ++i) {
            const auto& name = entries[i].cFileName;
            Require(std::find(std::begin(name), std::end(name), u'\0') != std::end(name),
                    "every listed name is terminated");
        }
        if (entries != nullptr) {
            Require(m_api.CeRapiFreeBuffer(entries) >= 0, "a listing can be given back");
            Require(m_api.CeRapiFreeBuffer(entries) < 0, "a listing is given back only once");
        }
    }

    kiro::CDeviceLink& m_link;
    kiro::IRemoteApi& m_api;
    const fs::path& m_pcFolder;
};

// Every input starts without a PC copy; a copy never leaves anything else behind.
void RemovePcCopy() {
    std::error_code ignored;
    fs::remove(g_handheld->PcFolder() / kCopyName, ignored);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    g_handheld = new CHostileHandheld();
    std::atexit(RemoveThrowawayFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2 || size > kMaxInputBytes) {
        return 0;
    }
    const std::size_t planSize = std::min<std::size_t>(data[1] % 8, size - 2);
    const std::vector<std::uint8_t> plan(data + 2, data + 2 + planSize);
    RemovePcCopy();
    CServedRemoteApi api(
        *g_handheld, PrepareStream(Greeting(data[0]) +
                                   std::string(reinterpret_cast<const char*>(data) + 2 + planSize,
                                               size - 2 - planSize)));
    CSilentMessageBox messageBox;
    kiro::CDeviceLink link(api, messageBox);
    if (link.Connect() == kiro::kConnectOk) {
        CPlanRunner runner(link, api, g_handheld->PcFolder());
        for (const std::uint8_t step : plan) {
            runner.Run(step);
        }
        link.Disconnect();
    }
    g_handheld->CloseLeftovers();
    return 0;
}
