#include "platform/rapi/BulkMemory.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

#include <cstdint>
#include <string_view>
#include <utility>

namespace kiro::rapi {

#ifndef _WIN32
namespace {

constexpr std::size_t kSmallPage = 4096;
constexpr std::size_t kHugePage = 2 * 1024 * 1024;
// From this size on a buffer is rounded up to 2 MiB pages: one mapping instead of
// hundreds is worth the unused rest.
constexpr std::size_t kHugePageFrom = 512 * 1024;

std::size_t RoundUp(std::size_t value, std::size_t unit) {
    return (value + unit - 1) / unit * unit;
}

// True when the kernel hands out 2 MiB pages to a mapping that asks for them.
bool HugePagesOffered() {
    static const bool offered = [] {
        const int fd = ::open("/sys/kernel/mm/transparent_hugepage/enabled", O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            return false;
        }
        char text[128];
        const ssize_t got = ::read(fd, text, sizeof text);
        ::close(fd);
        const std::string_view setting(text, got > 0 ? static_cast<std::size_t>(got) : 0);
        return setting.find("[always]") != std::string_view::npos ||
               setting.find("[madvise]") != std::string_view::npos;
    }();
    return offered;
}

}  // namespace

CBulkMemory::CBulkMemory(std::size_t bytes) {
    if (bytes == 0) {
        return;
    }
    const bool huge = bytes >= kHugePageFrom && HugePagesOffered();
    const std::size_t size = RoundUp(bytes, huge ? kHugePage : kSmallPage);
    // A 2 MiB page must start on a 2 MiB boundary: map one more and use the aligned part.
    const std::size_t mappingSize = huge ? size + kHugePage : size;
    const int flags = MAP_PRIVATE | MAP_ANONYMOUS | (huge ? 0 : MAP_POPULATE);
    void* mapping = ::mmap(nullptr, mappingSize, PROT_READ | PROT_WRITE, flags, -1, 0);
    if (mapping == MAP_FAILED) {
        return;
    }
    char* data = static_cast<char*>(mapping);
    if (huge) {
        const auto address = reinterpret_cast<std::uintptr_t>(data);
        data += RoundUp(address, kHugePage) - address;
        ::madvise(data, size, MADV_HUGEPAGE);
#ifdef MADV_POPULATE_WRITE
        // Older kernels refuse this; the pages then arrive as they are first used.
        ::madvise(data, size, MADV_POPULATE_WRITE);
#endif
    }
    m_mapping = mapping;
    m_mappingSize = mappingSize;
    m_data = data;
    m_size = size;
}

#endif

#ifdef _WIN32
// Committed memory arrives zero-filled; Windows maps its pages as they are touched.
CBulkMemory::CBulkMemory(std::size_t bytes) {
    void* mapping = ::VirtualAlloc(nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (mapping != nullptr) {
        m_mapping = mapping;
        m_mappingSize = bytes;
        m_data = static_cast<char*>(mapping);
        m_size = bytes;
    }
}
#endif

CBulkMemory::~CBulkMemory() {
    Release();
}

CBulkMemory::CBulkMemory(CBulkMemory&& other) noexcept
    : m_data(std::exchange(other.m_data, nullptr)),
      m_size(std::exchange(other.m_size, 0)),
      m_mapping(std::exchange(other.m_mapping, nullptr)),
      m_mappingSize(std::exchange(other.m_mappingSize, 0)) {}

CBulkMemory& CBulkMemory::operator=(CBulkMemory&& other) noexcept {
    if (this != &other) {
        Release();
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
        m_mapping = std::exchange(other.m_mapping, nullptr);
        m_mappingSize = std::exchange(other.m_mappingSize, 0);
    }
    return *this;
}

void CBulkMemory::Release() {
    if (m_mapping != nullptr) {
#ifdef _WIN32
        ::VirtualFree(m_mapping, 0, MEM_RELEASE);
#else
        ::munmap(m_mapping, m_mappingSize);
#endif
    }
    m_mapping = nullptr;
    m_mappingSize = 0;
    m_data = nullptr;
    m_size = 0;
}

}  // namespace kiro::rapi
