// The remote API on Windows: the library that the device-sync software installs, loaded
// when first needed, so that the program starts and converts PC files without it.

#include <windows.h>

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
    std::string problem;
};

template <typename Function>
bool Find(HMODULE module, const char* name, Function& function) {
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
    return function != nullptr;
}

Library Load() {
    Library library;
    const HMODULE module = ::LoadLibraryW(L"rapi.dll");
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
            "rapi.dll lacks functions this program needs; reinstall the "
            "device-sync software";
    }
    return library;
}

// Loaded once: the library stays for the life of the process.
const Library& TheLibrary() {
    static const Library library = Load();
    return library;
}

std::mutex g_problemMutex;
std::string g_problem;

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

}  // namespace

HRESULT CeRapiInitEx(RAPIINIT* pRapiInit) {
    SetProblem("");
    const Library* library = Usable();
    return library != nullptr ? library->init(pRapiInit) : kFailure;
}

HRESULT CeRapiUninit() {
    const Library* library = Usable();
    return library != nullptr ? library->uninit() : kFailure;
}

BOOL CeFindAllFiles(LPCWSTR szPath, DWORD dwFlags, DWORD* lpdwFoundCount,
                    CE_FIND_DATA** ppFindDataArray) {
    const Library* library = Usable();
    return library != nullptr && library->findAll(szPath, dwFlags, lpdwFoundCount, ppFindDataArray);
}

HRESULT CeRapiFreeBuffer(void* Buffer) {
    const Library* library = Usable();
    return library != nullptr ? library->free(Buffer) : kFailure;
}

HANDLE CeCreateFile(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                    void* lpSecurityAttributes, DWORD dwCreationDisposition,
                    DWORD dwFlagsAndAttributes, HANDLE hTemplateFile) {
    const Library* library = Usable();
    return library != nullptr
               ? library->create(lpFileName, dwDesiredAccess, dwShareMode, lpSecurityAttributes,
                                 dwCreationDisposition, dwFlagsAndAttributes, hTemplateFile)
               : InvalidHandle();
}

BOOL CeReadFile(HANDLE hFile, void* lpBuffer, DWORD nNumberOfBytesToRead,
                DWORD* lpNumberOfBytesRead, void* lpOverlapped) {
    const Library* library = Usable();
    return library != nullptr &&
           library->read(hFile, lpBuffer, nNumberOfBytesToRead, lpNumberOfBytesRead, lpOverlapped);
}

DWORD CeGetFileSize(HANDLE hFile, DWORD* lpFileSizeHigh) {
    const Library* library = Usable();
    return library != nullptr ? library->size(hFile, lpFileSizeHigh) : 0xFFFFFFFFu;
}

BOOL CeCloseHandle(HANDLE hObject) {
    const Library* library = Usable();
    return library != nullptr && library->close(hObject);
}

BOOL CeDeleteFile(LPCWSTR lpFileName) {
    const Library* library = Usable();
    return library != nullptr && library->remove(lpFileName);
}

BOOL CeCreateDirectory(LPCWSTR lpPathName, void* lpSecurityAttributes) {
    const Library* library = Usable();
    return library != nullptr && library->makeFolder(lpPathName, lpSecurityAttributes);
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

// The published interface has no such notion: a broken link shows as failing calls.
bool IsConnectionLost() {
    return false;
}

}  // namespace kiro::rapi
