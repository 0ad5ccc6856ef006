#include "transfer/TransferReport.h"

#include <cstring>

#include "devicelink/ConnectionTexts.h"
#include "devicelink/DeviceLink.h"

namespace kiro {
namespace {

const char* TransferResultText(std::int64_t result) {
    switch (result) {
        case kTransferDeviceFileCannotBeOpened:
            return "the handheld file cannot be opened";
        case kTransferPcFileCannotBeCreated:
            return "the PC file cannot be created";
        case kTransferDevicePathMissing:
            return "the handheld path is empty or too long";
        case kTransferPcPathMissing:
            return "the PC path is empty or too long";
        case kTransferFailedPartWay:
            return "the copy failed part-way; nothing was kept";
        case kTransferUnsafeFileName:
            return "the name would not stay inside the target folder";
        case kTransferNoChunkBuffer:
            return "out of memory";
        case kTransferConnectionLost:
            return kConnectionLostText;
        case kTransferKeptExistingFile:
            return "a different file of that name is already on the PC; it was kept";
        default:
            return "not connected";
    }
}

}  // namespace

std::string DescribeTransferResult(std::int64_t result, int systemError,
                                   const std::string& pcPath) {
    const bool pcSide =
        result == kTransferPcFileCannotBeCreated || result == kTransferFailedPartWay;
    if (!pcSide || systemError == 0) {
        return TransferResultText(result);
    }
    const char* action =
        result == kTransferPcFileCannotBeCreated ? "cannot create " : "cannot write ";
    return action + pcPath + ": " + std::strerror(systemError);
}

std::string DescribeCopyFailure(const TransferFileRecord& record) {
    return DescribeTransferResult(record.copyResult < 0 ? record.copyResult : 0, record.systemError,
                                  record.localPath);
}

}  // namespace kiro
