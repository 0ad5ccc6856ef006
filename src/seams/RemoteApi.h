#pragma once

#include <string>

#include "platform/rapi/LinkFault.h"
#include "platform/rapi/RapiTypes.h"

namespace kiro {

// The remote API as the device link reaches it: one interface, so that tests can
// put a scripted fake where the real client stands.
class IRemoteApi {
public:
    virtual ~IRemoteApi() = default;
    virtual rapi::HRESULT CeRapiInitEx(rapi::RAPIINIT* init) = 0;
    virtual rapi::HRESULT CeRapiUninit() = 0;
    virtual rapi::DWORD WaitForSingleObject(rapi::HANDLE handle, rapi::DWORD milliseconds) = 0;
    virtual rapi::BOOL CeFindAllFiles(rapi::LPCWSTR path, rapi::DWORD flags, rapi::DWORD* count,
                                      rapi::CE_FIND_DATA** entries) = 0;
    virtual rapi::HRESULT CeRapiFreeBuffer(void* buffer) = 0;
    virtual rapi::HANDLE CeCreateFile(rapi::LPCWSTR path, rapi::DWORD access, rapi::DWORD share,
                                      void* security, rapi::DWORD disposition,
                                      rapi::DWORD attributes, rapi::HANDLE templateFile) = 0;
    virtual rapi::BOOL CeReadFile(rapi::HANDLE file, void* buffer, rapi::DWORD size,
                                  rapi::DWORD* read, void* overlapped) = 0;
    virtual rapi::DWORD CeGetFileSize(rapi::HANDLE file, rapi::DWORD* high) = 0;
    virtual rapi::BOOL CeCloseHandle(rapi::HANDLE handle) = 0;
    virtual rapi::BOOL CeDeleteFile(rapi::LPCWSTR path) = 0;
    virtual rapi::BOOL CeCreateDirectory(rapi::LPCWSTR path, void* security) = 0;
    // Not a remote API function: true once the connection to the handheld has broken,
    // until CeRapiUninit. A call the handheld merely refuses does not count.
    virtual bool IsConnectionLost() = 0;
    // Why the connection broke or could not be made, in words for a user ("" when not
    // known), and its kind.
    virtual std::string ConnectionProblem() { return ""; }
    virtual rapi::LinkFault ConnectionFault() { return rapi::LinkFault::None; }
    // How many entries the last CeFindAllFiles left out for names too long to hold.
    virtual rapi::DWORD SkippedFindEntries() { return 0; }
};

}  // namespace kiro
