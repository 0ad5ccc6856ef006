#pragma once

namespace kiro {

// What a writer reports: the output is complete, or it could not be made (in which
// case nothing was left behind and an earlier file of that name is untouched).
enum class WriteResult { Written, CannotCreate };

}  // namespace kiro
