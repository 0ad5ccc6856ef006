#pragma once

#include <cstdint>
#include <string>

#include "transfer/TransferJob.h"

namespace kiro {

// Why a copy from the handheld failed, for the user: a TransferFile result, with the
// system's reason when the PC side failed ("No space left on device").
std::string DescribeTransferResult(std::int64_t result, int systemError = 0);

// Why one file of a transfer job was not copied.
std::string DescribeCopyFailure(const TransferFileRecord& record);

}  // namespace kiro
