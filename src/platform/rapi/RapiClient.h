#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <unordered_map>

#include "platform/rapi/RapiTypes.h"
#include "platform/rapi/WireCodec.h"

namespace kiro::rapi {

// The process's one connection to the emulated handheld, behind the remote API
// functions. Initialisation returns at once; a helper thread keeps trying to reach
// the handheld and signals the init event when it has been greeted.
class CRapiClient {
public:
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

private:
    enum class State { Uninitialised, Waiting, Connected, Refused, Lost };
    struct ReadAhead {
        std::string buffered;
        std::size_t position = 0;
        bool endOfFile = false;
        bool failed = false;
    };

    CRapiClient() = default;
    void SeekHandheld(std::string socketPath);
    bool Greet(int fd);
    std::optional<std::string> Call(const wire::CWireWriter& request);
    void LoseConnection(const std::string& problem);
    bool FetchMore(std::uint32_t handle, ReadAhead& ahead, std::size_t wanted);
    std::optional<bool> SimpleCall(const wire::CWireWriter& request);

    std::mutex m_mutex;
    std::condition_variable m_changed;
    State m_state = State::Uninitialised;
    int m_fd = -1;
    std::thread m_helper;
    std::atomic<bool> m_stop{false};
    std::string m_problem;
    int m_initEvent = 0;  // its address is the init event's handle
    std::unordered_map<std::uint32_t, ReadAhead> m_readAhead;
    std::set<CE_FIND_DATA*> m_findBuffers;
};

}  // namespace kiro::rapi
