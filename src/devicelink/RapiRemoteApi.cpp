#include "devicelink/RapiRemoteApi.h"

#include "platform/rapi/Rapi.h"
#include "platform/rapi/RapiConstants.h"

namespace kiro {

using namespace rapi;

HRESULT CRapiRemoteApi::CeRapiInitEx(RAPIINIT* init) {
    return rapi::CeRapiInitEx(init);
}
HRESULT CRapiRemoteApi::CeRapiUninit() {
    return rapi::CeRapiUninit();
}
DWORD CRapiRemoteApi::WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    return rapi::WaitForSingleObject(handle, milliseconds);
}
BOOL CRapiRemoteApi::CeFindAllFiles(LPCWSTR path, DWORD flags, DWORD* count,
                                    CE_FIND_DATA** entries) {
    return rapi::CeFindAllFiles(path, flags, count, entries);
}
HRESULT CRapiRemoteApi::CeRapiFreeBuffer(void* buffer) {
    return rapi::CeRapiFreeBuffer(buffer);
}
HANDLE CRapiRemoteApi::CeCreateFile(LPCWSTR path, DWORD access, DWORD share, void* security,
                                    DWORD disposition, DWORD attributes, HANDLE templateFile) {
    return rapi::CeCreateFile(path, access, share, security, disposition, attributes, templateFile);
}
BOOL CRapiRemoteApi::CeReadFile(HANDLE file, void* buffer, DWORD size, DWORD* read,
                                void* overlapped) {
    return rapi::CeReadFile(file, buffer, size, read, overlapped);
}
DWORD CRapiRemoteApi::CeGetFileSize(HANDLE file, DWORD* high) {
    return rapi::CeGetFileSize(file, high);
}
BOOL CRapiRemoteApi::CeCloseHandle(HANDLE handle) {
    return rapi::CeCloseHandle(handle);
}
BOOL CRapiRemoteApi::CeDeleteFile(LPCWSTR path) {
    return rapi::CeDeleteFile(path);
}
BOOL CRapiRemoteApi::CeCreateDirectory(LPCWSTR path, void* security) {
    return rapi::CeCreateDirectory(path, security);
}
bool CRapiRemoteApi::IsConnectionLost() {
    return rapi::IsConnectionLost();
}
std::string CRapiRemoteApi::ConnectionProblem() {
    return rapi::LastConnectionProblem();
}
rapi::LinkFault CRapiRemoteApi::ConnectionFault() {
    return rapi::LastConnectionFault();
}
DWORD CRapiRemoteApi::SkippedFindEntries() {
    return rapi::SkippedFindEntries();
}

}  // namespace kiro
