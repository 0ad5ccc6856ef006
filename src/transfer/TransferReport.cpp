#include "transfer/TransferReport.h"

#include <cstring>

#include "devicelink/ConnectionTexts.h"
#include "devicelink/DeviceLink.h"

namespace kiro {
namespace {

const char* CopyStatusText(CopyStatus status) {
    switch (status) {
        case CopyStatus::Copied:
            return "copied";
        case CopyStatus::DeviceFileCannotBeOpened:
            return "the handheld file cannot be opened";
        case CopyStatus::PcFileCannotBeCreated:
            return "the PC file cannot be created";
        case CopyStatus::DevicePathMissing:
            return "the handheld path is empty";
        case CopyStatus::DevicePathTooLong:
            return "the handheld path is too long";
        case CopyStatus::PcPathMissing:
            return "the PC path is empty";
        case CopyStatus::PcPathTooLong:
            return "the PC path is too long";
        case CopyStatus::FailedPartWay:
            return "the copy failed part-way; nothing was kept";
        case CopyStatus::UnsafeFileName:
            return "the name would not stay inside the target folder";
        case CopyStatus::NoChunkBuffer:
            return "out of memory";
        case CopyStatus::ConnectionLost:
            return kConnectionLostText;
        case CopyStatus::KeptExistingFile:
            return "a different file of that name is already on the PC; it was kept";
        default:
            return "not connected";
    }
}

}  // namespace

std::string DescribeCopyStatus(CopyStatus status, int systemError, const std::string& pcPath) {
    const bool pcSide =
        status == CopyStatus::PcFileCannotBeCreated || status == CopyStatus::FailedPartWay;
    if (!pcSide || systemError == 0) {
        return CopyStatusText(status);
    }
    const char* action =
        status == CopyStatus::PcFileCannotBeCreated ? "cannot create " : "cannot write ";
    return action + pcPath + ": " + std::strerror(systemError);
}

std::string DescribeCopyFailure(const TransferFileRecord& record) {
    return DescribeCopyStatus(record.copyStatus, record.systemError, record.localPath);
}

}  // namespace kiro
