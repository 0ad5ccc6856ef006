#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "devicelink/ExistingPcFile.h"
#include "platform/FileCalls.h"

namespace kiro {

// How a copy from the handheld to the PC ended.
enum class CopyStatus {
    Copied,
    NotConnected,
    DeviceFileCannotBeOpened,
    PcFileCannotBeCreated,
    DevicePathMissing,
    DevicePathTooLong,
    PcPathMissing,
    PcPathTooLong,
    FailedPartWay,  // nothing was kept
    UnsafeFileName,
    NoChunkBuffer,
    ConnectionLost,
    KeptExistingFile,  // a different PC file had the name and was kept
};

// One copy's outcome: an empty file copied and a copy that never started are told apart
// by the status, not by the byte count.
struct PcCopy {
    CopyStatus status = CopyStatus::NotConnected;
    std::uint64_t bytes = 0;
    CopyPlacement placement = CopyPlacement::New;
    std::string pcPath;  // where the copy is: the PC path or the numbered name
    // The system's reason (an errno value) when the PC side failed; 0 otherwise.
    int systemError = 0;
    // The copy as it was put under its name, so that a later step can tell whether the
    // name still holds it.
    std::optional<FileIdentity> committed;
    // How many different PC files of the name went to the trash to make room for the copy.
    int replacedIntoTrash = 0;
    // Why a file to be replaced could not go to the trash, so that it was kept and the copy
    // skipped; empty otherwise.
    std::string trashProblem;

    bool Copied() const { return status == CopyStatus::Copied; }
};

// TransferFile's integer result for an outcome: the bytes copied, 0 when not connected,
// or a TransferResult code.
std::int64_t TransferResultOf(const PcCopy& copy);

}  // namespace kiro
