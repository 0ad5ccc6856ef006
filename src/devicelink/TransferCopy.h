#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "devicelink/DeviceControls.h"
#include "devicelink/RemoteApi.h"
#include "platform/AtomicFile.h"

namespace kiro {

// One copy of a handheld file to the PC, in chunks of a fixed size. The device file
// is opened first, so that a file that cannot be read leaves the PC side untouched;
// the bytes go into a temporary file that takes the target's name only when the
// whole file has arrived.
//
// A copy counts only when the handheld is still there once the whole file has
// arrived: a connection that breaks at any point before gives
// kTransferConnectionLost and keeps nothing.
class CTransferCopy {
public:
    CTransferCopy(IRemoteApi& api, std::uint32_t chunkSize, IProgressBar* progress);
    // The bytes copied, or a TransferResult code.
    std::int64_t Run(const std::u16string& devicePath, const std::string& pcPath);
    // The system's error number when the PC side failed; 0 otherwise.
    int PcError() const { return m_pcError; }

private:
    std::int64_t CopyChunks(rapi::HANDLE source, CAtomicFileWriter& target, char* block,
                            std::size_t blockSize);
    std::int64_t Commit(CAtomicFileWriter& target, std::int64_t total);
    // A failure of the handheld's side: a lost connection when it broke.
    std::int64_t DeviceFailure(std::int64_t code);
    // A failure of the PC side, with the writer's reason.
    std::int64_t PcFailure(const CAtomicFileWriter& target, std::int64_t code);
    void StartProgress(std::uint32_t size);
    void ShowBlock(std::uint64_t block);

    IRemoteApi& m_api;
    std::uint32_t m_chunkSize;
    IProgressBar* m_progress;
    std::uint64_t m_blocks = 1;
    int m_pcError = 0;
};

}  // namespace kiro
