#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "devicelink/CopyStatus.h"
#include "devicelink/ExistingPcFile.h"
#include "platform/AtomicFile.h"
#include "platform/Trash.h"
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
// a file other than the one compared is never replaced, and a replaced file goes to the
// trash rather than to nothing: one that the trash will not take is kept, and the copy
// skipped.
class CTransferCopy {
public:
    CTransferCopy(IRemoteApi& api, std::uint32_t chunkSize, IProgressBar* progress,
                  ExistingFileResolver resolver = {}, TrashFunction trash = MoveToTrash);
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
    // True with the copy in place of the file compared, that file in the trash; true
    // with the copy skipped when the trash will not take it; false (errno EEXIST) when
    // another file has taken the name meanwhile.
    bool ReplaceThroughTrash(CAtomicFileWriter& target, const FileIdentity& existing);
    // False with errno EEXIST when the name is taken again.
    bool PlaceUnderFreeOrSameName(CAtomicFileWriter& target);
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
    TrashFunction m_trash;
    CopyPlacement m_placement = CopyPlacement::New;
    std::string m_placedPath;
    std::optional<FileIdentity> m_committed;
    int m_replacedIntoTrash = 0;
    std::string m_trashProblem;
};

}  // namespace kiro
