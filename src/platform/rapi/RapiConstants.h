#pragma once

// The remote API's published constant names. Included only by .cpp files and by the
// remote API's own headers: several of these names are macros in GUI toolkits.

#include "platform/rapi/RapiTypes.h"

namespace kiro::rapi {

inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;
inline constexpr std::size_t MAX_PATH = kCeMaxPath;

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

}  // namespace kiro::rapi
