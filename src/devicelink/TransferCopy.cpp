#include "devicelink/TransferCopy.h"

#include <algorithm>
#include <new>
#include <string_view>

#include "devicelink/DeviceLink.h"
#include "platform/AtomicFile.h"
#include "platform/rapi/RapiConstants.h"

namespace kiro {

using namespace rapi;

namespace {

// A progress bar's range is 16 bits wide.
constexpr std::uint64_t kMaxProgressRange = 65535;

// Closes the device file on every path out.
class CDeviceFile {
public:
    CDeviceFile(IRemoteApi& api, const std::u16string& path)
        : m_api(api),
          m_handle(api.CeCreateFile(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~CDeviceFile() {
        if (IsOpen()) {
            m_api.CeCloseHandle(m_handle);
        }
    }
    CDeviceFile(const CDeviceFile&) = delete;
    CDeviceFile& operator=(const CDeviceFile&) = delete;

    bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr; }
    HANDLE Handle() const { return m_handle; }

private:
    IRemoteApi& m_api;
    HANDLE m_handle;
};

}  // namespace

CTransferCopy::CTransferCopy(IRemoteApi& api, std::uint32_t chunkSize, IProgressBar* progress)
    : m_api(api), m_chunkSize(chunkSize), m_progress(progress) {}

std::int64_t CTransferCopy::Run(const std::u16string& devicePath, const std::string& pcPath) {
    std::unique_ptr<char[]> chunk(new (std::nothrow) char[m_chunkSize]);
    CDeviceFile source(m_api, devicePath);
    if (!source.IsOpen()) {
        return kTransferDeviceFileCannotBeOpened;
    }
    CAtomicFileWriter target(pcPath);
    if (!target.Open()) {
        return kTransferPcFileCannotBeCreated;
    }
    if (!chunk) {
        return kTransferNoChunkBuffer;
    }
    StartProgress(m_api.CeGetFileSize(source.Handle(), nullptr));
    std::int64_t total = 0;
    std::uint64_t block = 0;
    for (;;) {
        DWORD read = 0;
        const BOOL readOk =
            m_api.CeReadFile(source.Handle(), chunk.get(), m_chunkSize, &read, nullptr);
        read = std::min(read, m_chunkSize);
        if (readOk != TRUE || !target.Append(std::string_view(chunk.get(), read))) {
            return kTransferFailedPartWay;  // the writer removes its temporary file
        }
        ++block;
        total += read;
        ShowBlock(block);
        if (read != m_chunkSize) {
            break;
        }
    }
    switch (target.Commit()) {
        case AtomicWriteResult::Written:
            return total;
        case AtomicWriteResult::CannotCreate:
            return kTransferPcFileCannotBeCreated;
        default:
            return kTransferFailedPartWay;
    }
}

void CTransferCopy::StartProgress(std::uint32_t size) {
    m_blocks = size / m_chunkSize + 1;
    if (m_progress != nullptr) {
        m_progress->SetRange(0, static_cast<int>(std::min(m_blocks, kMaxProgressRange)));
    }
}

void CTransferCopy::ShowBlock(std::uint64_t block) {
    if (m_progress == nullptr) {
        return;
    }
    // Past 65535 blocks the bar is scaled, so that it still runs from start to end.
    std::uint64_t position = std::min(block, m_blocks);
    if (m_blocks > kMaxProgressRange) {
        position = position * kMaxProgressRange / m_blocks;
    }
    m_progress->SetPos(static_cast<int>(position));
    m_progress->Repaint();
}

}  // namespace kiro
