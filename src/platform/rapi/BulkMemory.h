#pragma once

#include <cstddef>

namespace kiro::rapi {

// Zero-filled memory for large buffers, with every page mapped in one go: in 2 MiB
// pages where the system offers them, else all 4 KiB pages populated at once. A
// fresh process that touches its buffers page by page pays far more for the page
// faults than for the bytes (above all in a virtual machine), and a copy or a large
// listing is mostly fresh buffers.
class CBulkMemory {
public:
    CBulkMemory() = default;
    // Null Data() when the memory cannot be had.
    explicit CBulkMemory(std::size_t bytes);
    ~CBulkMemory();
    CBulkMemory(CBulkMemory&& other) noexcept;
    CBulkMemory& operator=(CBulkMemory&& other) noexcept;
    CBulkMemory(const CBulkMemory&) = delete;
    CBulkMemory& operator=(const CBulkMemory&) = delete;

    char* Data() const { return m_data; }
    std::size_t Size() const { return m_size; }

private:
    void Release();

    char* m_data = nullptr;
    std::size_t m_size = 0;
    void* m_mapping = nullptr;
    std::size_t m_mappingSize = 0;
};

}  // namespace kiro::rapi
