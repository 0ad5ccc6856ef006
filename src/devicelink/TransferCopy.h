#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "devicelink/CopyStatus.h"
#include "devicelink/ExistingPcFile.h"
#include "platform/AtomicFile.h"
#include "seams/DeviceControls.h"
#include "seams/RemoteApi.h"

namespace kiro {

// One copy of a handheld file to the PC, in chunks of a fixed size. The device file
// is opened first, so that a file that cannot be read leaves the PC side untouched;
// the bytes go into a temporary file that takes the target's name only when the
// whole file has arrived.
//
// A copy counts only when the handheld is still there once the whole file has
// arrived: a connection that breaks at any point before ends it as ConnectionLost and
// keeps nothing.
//
// A PC file that already has the name is never replaced unseen: the same bytes count
// as done, different bytes go to the resolver (none replaces). Whatever is decided,
// a file other than the one compared is never replaced.
class CTransferCopy {
public:
    CTransferCopy(IRemoteApi& api, std::uint32_t chunkSize, IProgressBar* progress,
                  ExistingFileResolver resolver = {});
    // How the copy ended: the bytes copied and where they went, or why nothing was kept.
    PcCopy Run(const std::u16string& devicePath, const std::string& pcPath);

private:
    // Copied, with the bytes gathered, once every chunk is in the writer; else the
    // failure that ended the copy.
    PcCopy CopyChunks(rapi::HANDLE source, CAtomicFileWriter& target, char* block,
                      std::size_t blockSize);
    PcCopy Commit(CAtomicFileWriter& target, std::uint64_t total);
    // Decides what happens when the name is taken; false when the copy is not kept.
    bool PlaceBesideExisting(CAtomicFileWriter& target, std::uint64_t total);
    // A failure of the handheld's side: a lost connection when it broke.
    PcCopy DeviceFailure(CopyStatus status);
    // A failure of the PC side, with the writer's reason.
    PcCopy PcFailure(const CAtomicFileWriter& target, CopyStatus status);
    // The outcome as it stands, with where the copy went.
    PcCopy Ended(CopyStatus status, std::uint64_t bytes = 0) const;
    void StartProgress(std::uint32_t size);
    void ShowBlock(std::uint64_t block);

    IRemoteApi& m_api;
    std::uint32_t m_chunkSize;
    IProgressBar* m_progress;
    std::uint64_t m_blocks = 1;
    int m_pcError = 0;
    ExistingFileResolver m_resolver;
    CopyPlacement m_placement = CopyPlacement::New;
    std::string m_placedPath;
};

}  // namespace kiro
