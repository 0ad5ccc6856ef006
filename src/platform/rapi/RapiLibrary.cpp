// The remote API on Windows: the library that the device-sync software installs, loaded
// when first needed, so that the program starts and converts PC files without it. It is
// taken from the system folder only, where that software puts it: a rapi.dll planted
// beside the program or in the current folder is never loaded.

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>

#include "platform/rapi/Rapi.h"

namespace kiro::rapi {
namespace {

static_assert(sizeof(wchar_t) == sizeof(WCHAR), "device paths are passed as they are");
static_assert(sizeof(RAPIINIT) == sizeof(void*) * 3, "the init record as the library lays it out");

constexpr HRESULT kFailure = static_cast<HRESULT>(0x80004005u);  // E_FAIL
constexpr const char* kLibraryMissing =
    "the device-sync software is not installed (rapi.dll was not found), so no handheld can be "
    "reached; converting files on this PC works without it";

using InitFn = HRESULT(WINAPI*)(RAPIINIT*);
using UninitFn = HRESULT(WINAPI*)();
using FindAllFn = BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD*, CE_FIND_DATA**);
using FreeFn = HRESULT(WINAPI*)(void*);
using CreateFn = HANDLE(WINAPI*)(LPCWSTR, DWORD, DWORD, void*, DWORD, DWORD, HANDLE);
using ReadFn = BOOL(WINAPI*)(HANDLE, void*, DWORD, DWORD*, void*);
using SizeFn = DWORD(WINAPI*)(HANDLE, DWORD*);
using CloseFn = BOOL(WINAPI*)(HANDLE);
using PathFn = BOOL(WINAPI*)(LPCWSTR);
using MakeFolderFn = BOOL(WINAPI*)(LPCWSTR, void*);
using ErrorFn = HRESULT(WINAPI*)();

// The library's functions, all found or none.
struct Library {
    InitFn init = nullptr;
    UninitFn uninit = nullptr;
    FindAllFn findAll = nullptr;
    FreeFn free = nullptr;
    CreateFn create = nullptr;
    ReadFn read = nullptr;
    SizeFn size = nullptr;
    CloseFn close = nullptr;
    PathFn remove = nullptr;
    MakeFolderFn makeFolder = nullptr;
    // Whether a failed call failed for a broken link; optional.
    ErrorFn rapiError = nullptr;
    std::string problem;
};

template <typename Function>
bool Find(HMODULE module, const char* name, Function& function) {
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
    return function != nullptr;
}

Library Load() {
    Library library;
    const HMODULE module = ::LoadLibraryExW(L"rapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module == nullptr) {
        library.problem = kLibraryMissing;
        return library;
    }
    const bool complete = Find(module, "CeRapiInitEx", library.init) &&
                          Find(module, "CeRapiUninit", library.uninit) &&
                          Find(module, "CeFindAllFiles", library.findAll) &&
                          Find(module, "CeRapiFreeBuffer", library.free) &&
                          Find(module, "CeCreateFile", library.create) &&
                          Find(module, "CeReadFile", library.read) &&
                          Find(module, "CeGetFileSize", library.size) &&
                          Find(module, "CeCloseHandle", library.close) &&
                          Find(module, "CeDeleteFile", library.remove) &&
                          Find(module, "CeCreateDirectory", library.makeFolder);
    if (!complete) {
        library = Library{};
        library.problem =
            "the rapi.dll installed lacks functions this program needs; reinstall the "
            "device-sync software";
        return library;
    }
    Find(module, "CeRapiGetError", library.rapiError);
    return library;
}

// Loaded once: the library stays for the life of the process.
const Library& TheLibrary() {
    static const Library library = Load();
    return library;
}

std::mutex g_problemMutex;
std::string g_problem;
// Set when a call failed because the link to the handheld broke, until the API is given
// back.
std::atomic<bool> g_linkBroken{false};

void SetProblem(const std::string& problem) {
    std::lock_guard<std::mutex> lock(g_problemMutex);
    g_problem = problem;
}

const Library* Usable() {
    const Library& library = TheLibrary();
    if (library.init == nullptr) {
        SetProblem(library.problem);
        return nullptr;
    }
    return &library;
}

HANDLE InvalidHandle() {
    return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));
}

// After a failed call: the library tells a refusal (no such file) from a broken link.
template <typename Result>
Result Checked(const Library& library, Result result, Result failure) {
    if (result == failure && library.rapiError != nullptr && library.rapiError() < 0) {
        g_linkBroken = true;
    }
    return result;
}

}  // namespace

HRESULT CeRapiInitEx(RAPIINIT* pRapiInit) {
    SetProblem("");
    g_linkBroken = false;
    const Library* library = Usable();
    return library != nullptr ? library->init(pRapiInit) : kFailure;
}

HRESULT CeRapiUninit() {
    g_linkBroken = false;
    const Library* library = Usable();
    return library != nullptr ? library->uninit() : kFailure;
}

BOOL CeFindAllFiles(LPCWSTR szPath, DWORD dwFlags, DWORD* lpdwFoundCount,
                    CE_FIND_DATA** ppFindDataArray) {
    const Library* library = Usable();
    return library != nullptr &&
           Checked<BOOL>(*library,
                         library->findAll(szPath, dwFlags, lpdwFoundCount, ppFindDataArray), FALSE);
}

HRESULT CeRapiFreeBuffer(void* Buffer) {
    const Library* library = Usable();
    return library != nullptr ? library->free(Buffer) : kFailure;
}

HANDLE CeCreateFile(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                    void* lpSecurityAttributes, DWORD dwCreationDisposition,
                    DWORD dwFlagsAndAttributes, HANDLE hTemplateFile) {
    const Library* library = Usable();
    return library != nullptr ? Checked(*library,
                                        library->create(lpFileName, dwDesiredAccess, dwShareMode,
                                                        lpSecurityAttributes, dwCreationDisposition,
                                                        dwFlagsAndAttributes, hTemplateFile),
                                        InvalidHandle())
                              : InvalidHandle();
}

BOOL CeReadFile(HANDLE hFile, void* lpBuffer, DWORD nNumberOfBytesToRead,
                DWORD* lpNumberOfBytesRead, void* lpOverlapped) {
    const Library* library = Usable();
    return library != nullptr && Checked<BOOL>(*library,
                                               library->read(hFile, lpBuffer, nNumberOfBytesToRead,
                                                             lpNumberOfBytesRead, lpOverlapped),
                                               FALSE);
}

DWORD CeGetFileSize(HANDLE hFile, DWORD* lpFileSizeHigh) {
    const Library* library = Usable();
    return library != nullptr
               ? Checked<DWORD>(*library, library->size(hFile, lpFileSizeHigh), 0xFFFFFFFFu)
               : 0xFFFFFFFFu;
}

BOOL CeCloseHandle(HANDLE hObject) {
    const Library* library = Usable();
    return library != nullptr && Checked<BOOL>(*library, library->close(hObject), FALSE);
}

BOOL CeDeleteFile(LPCWSTR lpFileName) {
    const Library* library = Usable();
    return library != nullptr && Checked<BOOL>(*library, library->remove(lpFileName), FALSE);
}

BOOL CeCreateDirectory(LPCWSTR lpPathName, void* lpSecurityAttributes) {
    const Library* library = Usable();
    return library != nullptr &&
           Checked<BOOL>(*library, library->makeFolder(lpPathName, lpSecurityAttributes), FALSE);
}

DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
    return ::WaitForSingleObject(hHandle, dwMilliseconds);
}

std::string LastConnectionProblem() {
    std::lock_guard<std::mutex> lock(g_problemMutex);
    return g_problem;
}

LinkFault LastConnectionFault() {
    return TheLibrary().init == nullptr ? LinkFault::NotInstalled : LinkFault::None;
}

DWORD SkippedFindEntries() {
    return 0;
}

// A broken link shows as failing calls, which the library's own error tells apart from
// refusals.
bool IsConnectionLost() {
    return g_linkBroken;
}

}  // namespace kiro::rapi
