#pragma once

#include <cstdint>
#include <string>

#include "transfer/TransferJob.h"

namespace kiro {

// Why a copy from the handheld failed, for the user, or, when the PC side failed with a
// system error, what could not be done to `pcPath` and the system's reason ("cannot write
// /x/a.scope_ks: No space left on device").
std::string DescribeCopyStatus(CopyStatus status, int systemError = 0,
                               const std::string& pcPath = "");

// Why one file of a transfer job was not copied.
std::string DescribeCopyFailure(const TransferFileRecord& record);

}  // namespace kiro
