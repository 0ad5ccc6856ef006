#pragma once

// The types, constants and records of the handheld's remote API, with their
// published names and layouts.

#include <cstdint>

namespace kiro::rapi {

using DWORD = std::uint32_t;
using BOOL = std::int32_t;
using HRESULT = std::int32_t;
using WCHAR = char16_t;
using LPCWSTR = const WCHAR*;
using HANDLE = void*;

inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;
inline constexpr std::size_t MAX_PATH = 260;

inline const HANDLE INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
inline constexpr HRESULT CERAPI_E_ALREADYINITIALIZED = static_cast<HRESULT>(0x80041001u);

inline constexpr DWORD WAIT_OBJECT_0 = 0;
inline constexpr DWORD WAIT_TIMEOUT = 258;
inline constexpr DWORD WAIT_FAILED = 0xFFFFFFFFu;
inline constexpr DWORD INFINITE = 0xFFFFFFFFu;

inline constexpr DWORD GENERIC_READ = 0x80000000u;
inline constexpr DWORD OPEN_EXISTING = 3;
inline constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x01;
inline constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x02;
inline constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
inline constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
inline constexpr DWORD INVALID_FILE_SIZE = 0xFFFFFFFFu;

// CeFindAllFiles flags.
inline constexpr DWORD FAF_ATTRIBUTES = 0x01;
inline constexpr DWORD FAF_CREATION_TIME = 0x02;
inline constexpr DWORD FAF_LASTACCESS_TIME = 0x04;
inline constexpr DWORD FAF_LASTWRITE_TIME = 0x08;
inline constexpr DWORD FAF_SIZE_HIGH = 0x10;
inline constexpr DWORD FAF_SIZE_LOW = 0x20;
inline constexpr DWORD FAF_OID = 0x40;
inline constexpr DWORD FAF_NAME = 0x80;
inline constexpr DWORD FAF_FOLDERS_ONLY = 0x4000;

struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};

struct CE_FIND_DATA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwOID;
    WCHAR cFileName[MAX_PATH];
};
static_assert(sizeof(CE_FIND_DATA) == 560, "CE_FIND_DATA is a 560-byte record");

struct RAPIINIT {
    DWORD cbSize;
    HANDLE heRapiInit;
    HRESULT hrRapiInit;
};

// The size the handheld's platform gives the init record (32-bit handles).
inline constexpr DWORD kRapiInitRecordSize = 12;

}  // namespace kiro::rapi
