#pragma once

// The remote API functions the device link relies on, with their published names,
// argument order, types and results. Here they are the client of the emulated
// handheld (kiroscan-sim), found at $KIROSCAN_SOCKET or the per-user default path.

#include <string>

#include "platform/rapi/LinkFault.h"
#include "platform/rapi/RapiTypes.h"

namespace kiro::rapi {

HRESULT CeRapiInitEx(RAPIINIT* pRapiInit);
HRESULT CeRapiUninit();
BOOL CeFindAllFiles(LPCWSTR szPath, DWORD dwFlags, DWORD* lpdwFoundCount,
                    CE_FIND_DATA** ppFindDataArray);
HRESULT CeRapiFreeBuffer(void* Buffer);
HANDLE CeCreateFile(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                    void* lpSecurityAttributes, DWORD dwCreationDisposition,
                    DWORD dwFlagsAndAttributes, HANDLE hTemplateFile);
BOOL CeReadFile(HANDLE hFile, void* lpBuffer, DWORD nNumberOfBytesToRead,
                DWORD* lpNumberOfBytesRead, void* lpOverlapped);
DWORD CeGetFileSize(HANDLE hFile, DWORD* lpFileSizeHigh);
BOOL CeCloseHandle(HANDLE hObject);
BOOL CeDeleteFile(LPCWSTR lpFileName);
BOOL CeCreateDirectory(LPCWSTR lpPathName, void* lpSecurityAttributes);
DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);

// Not part of the published interface: why the last attempt to reach the handheld
// failed, or why the connection broke, in words for a user ("" when nothing is known).
std::string LastConnectionProblem();

// The kind of that problem, for callers that word their own advice.
LinkFault LastConnectionFault();

// Also outside it: how many entries the last CeFindAllFiles left out because their
// names are longer than a device name can be; the others are listed.
DWORD SkippedFindEntries();

inline constexpr const char* kMalformedReplyProblem = "the handheld's reply was malformed";
// Also outside it: true once the connection to the handheld has broken (closed, reset,
// a malformed reply, no answer in time) until the API is given back with
// CeRapiUninit. A call that the handheld merely refuses does not count.
bool IsConnectionLost();

}  // namespace kiro::rapi
