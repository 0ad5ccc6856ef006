#include "transfer/TransferReport.h"

#include <cstring>

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
        default:
            return "The connection to the Kiro-SCAN was lost.";
    }
}

}  // namespace

std::string DescribeTransferResult(std::int64_t result, int systemError) {
    std::string text = TransferResultText(result);
    const bool pcSide =
        result == kTransferPcFileCannotBeCreated || result == kTransferFailedPartWay;
    if (pcSide && systemError != 0) {
        text += " (";
        text += std::strerror(systemError);
        text += ")";
    }
    return text;
}

std::string DescribeCopyFailure(const TransferFileRecord& record) {
    return DescribeTransferResult(record.copyResult < 0 ? record.copyResult : 0,
                                  record.systemError);
}

}  // namespace kiro
