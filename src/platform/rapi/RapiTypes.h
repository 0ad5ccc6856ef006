#pragma once

// The types, constants and records of the handheld's remote API, with their
// published names and layouts.

#include <cstddef>
#include <cstdint>

namespace kiro::rapi {

using DWORD = std::uint32_t;
using BOOL = std::int32_t;
using HRESULT = std::int32_t;
using WCHAR = char16_t;
using LPCWSTR = const WCHAR*;
using HANDLE = void*;

// The longest device path with its terminator. Windows-style constant names live in
// RapiConstants.h, which only .cpp files include: toolkits define some of them
// (TRUE, FALSE, MAX_PATH, INFINITE) as macros.
inline constexpr std::size_t kCeMaxPath = 260;

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
    WCHAR cFileName[kCeMaxPath];
};
static_assert(sizeof(CE_FIND_DATA) == 560, "CE_FIND_DATA is a 560-byte record");

struct RAPIINIT {
    DWORD cbSize;
    HANDLE heRapiInit;
    HRESULT hrRapiInit;
};

// The size the init record is given: on Windows the library's own layout for this
// platform's handles; the emulated handheld's client takes the 32-bit layout's 12.
#ifdef _WIN32
inline constexpr DWORD kRapiInitRecordSize = sizeof(RAPIINIT);
#else
inline constexpr DWORD kRapiInitRecordSize = 12;
#endif

}  // namespace kiro::rapi
