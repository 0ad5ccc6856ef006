#include "devicelink/FakeRemoteApi.h"
#include "platform/rapi/RapiConstants.h"

#include <algorithm>
#include <cstring>

namespace kiro::test {

using namespace rapi;

namespace {

std::u16string ParentOf(const std::u16string& path) {
    const std::size_t separator = path.rfind(u'\\');
    return separator == 0 ? u"\\" : path.substr(0, separator);
}

std::u16string NameOf(const std::u16string& path) {
    return path.substr(path.rfind(u'\\') + 1);
}

CE_FIND_DATA Entry(const std::u16string& name, DWORD attributes) {
    CE_FIND_DATA entry;
    std::memset(&entry, 0, sizeof entry);
    entry.dwFileAttributes = attributes;
    std::copy(name.begin(), name.end(), entry.cFileName);
    return entry;
}

DWORD SizeOf(const CFakeRemoteApi::File& file) {
    return file.reportedSizeLow.value_or(static_cast<DWORD>(file.content.size()));
}

}  // namespace

void CFakeRemoteApi::AddFile(const std::u16string& path, std::string content) {
    files[path].content = std::move(content);
    AddFolder(ParentOf(path));
}

void CFakeRemoteApi::AddFolder(const std::u16string& path) {
    for (std::u16string folder = path; folders.insert(folder).second; folder = ParentOf(folder)) {
    }
}

HRESULT CFakeRemoteApi::CeRapiInitEx(RAPIINIT* init) {
    ++initCalls;
    init->heRapiInit = &m_event;
    return initResult;
}

HRESULT CFakeRemoteApi::CeRapiUninit() {
    ++uninitCalls;
    connectionLost = false;
    return S_OK;
}

bool CFakeRemoteApi::Broken() {
    if (callsBeforeLoss == 0) {
        connectionLost = true;
    }
    if (callsBeforeLoss >= 0) {
        --callsBeforeLoss;
    }
    return connectionLost;
}

DWORD CFakeRemoteApi::WaitForSingleObject(HANDLE handle, DWORD) {
    return handle == &m_event ? waitResult : WAIT_FAILED;
}

BOOL CFakeRemoteApi::CeFindAllFiles(LPCWSTR path, DWORD flags, DWORD* count,
                                    CE_FIND_DATA** entries) {
    const std::u16string pattern = path;
    finds.emplace_back(pattern, flags);
    *count = 0;
    *entries = nullptr;
    const std::u16string folder = ParentOf(pattern);
    if (Broken() || failingFinds.count(pattern) != 0 || folders.count(folder) == 0) {
        return FALSE;
    }
    std::vector<CE_FIND_DATA> found;
    for (const std::u16string& candidate : folders) {
        if (candidate != u"\\" && ParentOf(candidate) == folder) {
            found.push_back(Entry(NameOf(candidate), FILE_ATTRIBUTE_DIRECTORY));
        }
    }
    if ((flags & FAF_FOLDERS_ONLY) == 0) {
        for (const auto& [filePath, file] : files) {
            if (ParentOf(filePath) == folder) {
                found.push_back(Entry(NameOf(filePath), FILE_ATTRIBUTE_ARCHIVE));
                found.back().nFileSizeLow = SizeOf(file);
                found.back().ftLastWriteTime = file.lastWrite;
            }
        }
    }
    if (!found.empty()) {
        *entries = new CE_FIND_DATA[found.size()];
        std::copy(found.begin(), found.end(), *entries);
        ++outstandingBuffers;
    }
    *count = static_cast<DWORD>(found.size());
    return TRUE;
}

HRESULT CFakeRemoteApi::CeRapiFreeBuffer(void* buffer) {
    delete[] static_cast<CE_FIND_DATA*>(buffer);
    --outstandingBuffers;
    return S_OK;
}

HANDLE CFakeRemoteApi::CeCreateFile(LPCWSTR path, DWORD access, DWORD, void*, DWORD disposition,
                                    DWORD, HANDLE) {
    opened.emplace_back(path);
    if (Broken() || access != GENERIC_READ || disposition != OPEN_EXISTING ||
        files.count(path) == 0) {
        return INVALID_HANDLE_VALUE;
    }
    const std::uintptr_t id = m_nextHandle++;
    m_handles[id] = Handle{path, 0};
    ++openHandles;
    return reinterpret_cast<HANDLE>(id);
}

BOOL CFakeRemoteApi::CeReadFile(HANDLE file, void* buffer, DWORD size, DWORD* read, void*) {
    if (onRead) {
        onRead();
    }
    *read = 0;
    const auto found = m_handles.find(reinterpret_cast<std::uintptr_t>(file));
    if (Broken() || found == m_handles.end()) {
        return FALSE;
    }
    Handle& handle = found->second;
    const File& content = files.at(handle.path);
    const std::size_t available = content.content.size() - handle.position;
    const std::size_t count = std::min<std::size_t>(size, available);
    if (handle.position + count > content.failReadAfter) {
        return FALSE;
    }
    std::memcpy(buffer, content.content.data() + handle.position, count);
    handle.position += count;
    *read = static_cast<DWORD>(count);
    readSizes.push_back(*read);
    return TRUE;
}

DWORD CFakeRemoteApi::CeGetFileSize(HANDLE file, DWORD* high) {
    if (high != nullptr) {
        *high = 0;
    }
    const auto found = m_handles.find(reinterpret_cast<std::uintptr_t>(file));
    if (Broken() || found == m_handles.end()) {
        return INVALID_FILE_SIZE;
    }
    return SizeOf(files.at(found->second.path));
}

BOOL CFakeRemoteApi::CeCloseHandle(HANDLE handle) {
    // As with the real client, the handle is gone even when the handheld is.
    if (m_handles.erase(reinterpret_cast<std::uintptr_t>(handle)) == 0) {
        return FALSE;
    }
    --openHandles;
    return Broken() ? FALSE : TRUE;
}

BOOL CFakeRemoteApi::CeDeleteFile(LPCWSTR path) {
    const auto found = files.find(path);
    if (Broken() || found == files.end()) {
        return FALSE;
    }
    deleted.emplace_back(path);
    files.erase(found);
    return TRUE;
}

BOOL CFakeRemoteApi::CeCreateDirectory(LPCWSTR path, void*) {
    created.emplace_back(path);
    if (Broken() || folders.count(path) != 0 || folders.count(ParentOf(path)) == 0) {
        return FALSE;
    }
    folders.insert(path);
    return TRUE;
}

}  // namespace kiro::test
