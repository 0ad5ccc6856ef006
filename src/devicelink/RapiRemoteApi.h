#pragma once

#include <string>

#include "seams/RemoteApi.h"

namespace kiro {

// The real remote API: forwards to the client of the emulated handheld.
class CRapiRemoteApi : public IRemoteApi {
public:
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
    bool IsConnectionLost() override;
    std::string ConnectionProblem() override;
    rapi::LinkFault ConnectionFault() override;
    rapi::DWORD SkippedFindEntries() override;
};

}  // namespace kiro
