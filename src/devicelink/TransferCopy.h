#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "devicelink/DeviceControls.h"
#include "devicelink/RemoteApi.h"

namespace kiro {

// One copy of a handheld file to the PC, in chunks of a fixed size. The device file
// is opened first, so that a file that cannot be read leaves the PC side untouched;
// the bytes go into a temporary file that takes the target's name only when the
// whole file has arrived.
class CTransferCopy {
public:
    CTransferCopy(IRemoteApi& api, std::uint32_t chunkSize, IProgressBar* progress);
    // The bytes copied, or a TransferResult code.
    std::int64_t Run(const std::u16string& devicePath, const std::string& pcPath);

private:
    void StartProgress(std::uint32_t size);
    void ShowBlock(std::uint64_t block);

    IRemoteApi& m_api;
    std::uint32_t m_chunkSize;
    IProgressBar* m_progress;
    std::uint64_t m_blocks = 1;
};

}  // namespace kiro
