#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>

#include "platform/rapi/BulkMemory.h"
#include "platform/rapi/Rapi.h"
#include "platform/rapi/RapiTypes.h"
#include "platform/rapi/SocketPlace.h"
#include "platform/rapi/WireCodec.h"

namespace kiro::rapi {

// The process's one connection to the emulated handheld, behind the remote API
// functions. Initialisation returns at once; a helper thread keeps trying to reach
// the handheld and signals the init event when it has been greeted.
//
// A broken connection (the handheld closed or reset it, sent a malformed or short
// reply, or did not answer in time) is recorded once; from then on every call fails
// at once, until the API is given back and started again.
class CRapiClient {
public:
    // A reply slower than this means a hung handheld. The slowest honest reply, a
    // listing of tens of thousands of files, takes a fraction of a second; the window
    // that waits for a reply is frozen meanwhile, so a hung handheld must not hold it
    // for long.
    static constexpr int kCallTimeoutMs = 10000;

    static CRapiClient& Instance();
    ~CRapiClient();

    HRESULT Init(RAPIINIT* init);
    HRESULT Uninit();
    DWORD Wait(HANDLE event, DWORD milliseconds);
    BOOL FindAllFiles(LPCWSTR pattern, DWORD flags, DWORD* count, CE_FIND_DATA** entries);
    HRESULT FreeBuffer(void* buffer);
    HANDLE OpenForReading(LPCWSTR path, DWORD access, DWORD share, DWORD disposition,
                          DWORD attributes);
    BOOL Read(HANDLE file, void* buffer, DWORD size, DWORD* read);
    DWORD FileSize(HANDLE file, DWORD* high);
    BOOL Close(HANDLE file);
    BOOL DeleteFile(LPCWSTR path);
    BOOL CreateDirectory(LPCWSTR path);
    std::string LastProblem();
    LinkFault LastFault();
    DWORD SkippedFindEntries();
    bool IsConnectionLost();
    // How long a call waits for the handheld's reply; only tests change it.
    void SetCallTimeoutMs(int milliseconds);

private:
    enum class State { Uninitialised, Waiting, Connected, Refused, Lost };
    // What has arrived of one open file and not been handed out yet.
    struct ReadAhead {
        std::string_view pending;  // in the shared frame buffer, or in `kept`
        std::string kept;
        bool endOfFile = false;
        bool failed = false;
    };
    // A listing array handed out by FindAllFiles, zero-filled, until FreeBuffer.
    class CListingArray {
    public:
        explicit CListingArray(std::size_t count);
        CE_FIND_DATA* Entries() const;

    private:
        std::unique_ptr<CE_FIND_DATA[]> m_small;
        CBulkMemory m_large;
    };

    CRapiClient() = default;
    void SeekHandheld(wire::SocketPlace place);
    int ReachTrustedHandheld(const wire::SocketPlace& place);
    bool Greet(int fd);
    void SetProblem(LinkFault fault, std::string problem);
    std::optional<std::string_view> Call(const wire::CWireWriter& request);
    std::optional<std::string_view> ReceiveReply(wire::Op op);
    void LoseConnection(const std::string& problem, LinkFault fault = LinkFault::Lost);
    void LoseToMalformedReply();
    bool ReadListing(wire::CWireReader& reader, std::uint32_t found, DWORD* count,
                     CE_FIND_DATA** entries);
    std::optional<bool> SimpleCall(const wire::CWireWriter& request);
    bool RequestBlock(std::uint32_t handle);
    bool FetchBlock(std::uint32_t handle, ReadAhead& ahead);
    bool SettleOutstandingRead();
    bool TakeReadReply(std::string_view reply, ReadAhead* ahead, bool intoFrame);
    void KeepFrameOwnersBytes();

    std::mutex m_mutex;
    std::condition_variable m_changed;
    State m_state = State::Uninitialised;
    int m_fd = -1;
    std::thread m_helper;
    std::atomic<bool> m_stop{false};
    std::string m_problem;
    LinkFault m_fault = LinkFault::None;
    std::string m_socketPath;
    bool m_greetingPending = false;  // connected, waiting for the handheld's greeting
    DWORD m_skippedFindEntries = 0;
    int m_initEvent = 0;  // its address is the init event's handle
    int m_callTimeoutMs = kCallTimeoutMs;
    wire::CFrameBuffer m_frame;           // every reply arrives here
    std::uint32_t m_frameOwner = 0;       // the handle whose pending bytes lie in m_frame
    std::uint32_t m_outstandingRead = 0;  // a handle whose next block is already asked for
    std::unordered_map<std::uint32_t, ReadAhead> m_readAhead;
    std::map<CE_FIND_DATA*, CListingArray> m_findBuffers;
};

}  // namespace kiro::rapi
