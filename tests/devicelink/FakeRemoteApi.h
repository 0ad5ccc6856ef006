#pragma once

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/rapi/RapiConstants.h"
#include "seams/RemoteApi.h"

namespace kiro::test {

// A scripted remote API over an in-memory handheld that records every call.
class CFakeRemoteApi final : public IRemoteApi {
public:
    struct File {
        std::string content;
        rapi::FILETIME lastWrite{};
        std::optional<std::uint32_t> reportedSizeLow;  // none: the content's size
        std::size_t failReadAfter = static_cast<std::size_t>(-1);
    };

    // Adds a file or folder at a device path such as "\Temp\a.txt".
    void AddFile(const std::u16string& path, std::string content = {});
    void AddFolder(const std::u16string& path);

    rapi::HRESULT CeRapiInitEx(rapi::RAPIINIT* init) override;
    rapi::HRESULT CeRapiUninit() override;
    rapi::DWORD WaitForSingleObject(rapi::HANDLE handle, rapi::DWORD milliseconds) override;
    rapi::BOOL CeFindAllFiles(rapi::LPCWSTR path, rapi::DWORD flags, rapi::DWORD* count,
                              rapi::CE_FIND_DATA** entries) override;
    rapi::HRESULT CeRapiFreeBuffer(void* buffer) override;
    rapi::HANDLE CeCreateFile(rapi::LPCWSTR path, rapi::DWORD access, rapi::DWORD share,
                              void* security, rapi::DWORD disposition, rapi::DWORD attributes,
                              rapi::HANDLE templateFile) override;
    rapi::BOOL CeReadFile(rapi::HANDLE file, void* buffer, rapi::DWORD size, rapi::DWORD* read,
                          void* overlapped) override;
    rapi::DWORD CeGetFileSize(rapi::HANDLE file, rapi::DWORD* high) override;
    rapi::BOOL CeCloseHandle(rapi::HANDLE handle) override;
    rapi::BOOL CeDeleteFile(rapi::LPCWSTR path) override;
    rapi::BOOL CeCreateDirectory(rapi::LPCWSTR path, void* security) override;
    bool IsConnectionLost() override { return connectionLost; }
    std::string ConnectionProblem() override { return problem; }
    rapi::LinkFault ConnectionFault() override { return fault; }

    // Breaks the connection: every remote call fails from now on, until CeRapiUninit.
    void LoseConnection() { connectionLost = true; }

    // Script.
    rapi::HRESULT initResult = rapi::S_OK;
    rapi::DWORD waitResult = rapi::WAIT_OBJECT_0;
    std::set<std::u16string> failingFinds;  // patterns whose search fails
    int callsBeforeLoss = -1;  // remote calls that succeed before the connection breaks once
    bool connectionLost = false;
    rapi::LinkFault fault = rapi::LinkFault::None;
    std::string problem;

    // Record.
    int initCalls = 0;
    int uninitCalls = 0;
    std::vector<std::pair<std::u16string, rapi::DWORD>> finds;
    int outstandingBuffers = 0;
    std::vector<rapi::DWORD> readSizes;  // the count delivered by each read
    std::vector<std::u16string> opened;
    int openHandles = 0;
    std::vector<std::u16string> deleted;
    std::vector<std::u16string> created;
    std::function<void()> onRead;  // runs before each read

    std::map<std::u16string, File> files;
    std::set<std::u16string> folders{u"\\"};

private:
    // Counts a remote call; true when it finds the connection broken.
    bool Broken();

    struct Handle {
        std::u16string path;
        std::size_t position = 0;
    };
    std::map<std::uintptr_t, Handle> m_handles;
    std::uintptr_t m_nextHandle = 100;
    int m_event = 0;
};

}  // namespace kiro::test
