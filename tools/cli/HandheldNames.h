#pragma once

#include <optional>
#include <string>
#include <vector>

#include "devicelink/MemoryControls.h"

namespace kiro::cli {

class CDeviceSession;

// The handheld file names that a command's NAME arguments stand for.
struct HandheldNames {
    std::vector<std::string> names;
    std::vector<std::string> unmatched;  // the patterns that match no file of the folder
};

// A name without "*" or "?" stands for itself, as given; a pattern for the files of the
// folder's listing that match it, in the listing's order, each name once.
HandheldNames ExpandHandheldNames(const std::vector<std::string>& arguments,
                                  const CMemoryFileList& listing);

// The same for a command that lists the folder only when a pattern needs it (get, rm).
// Nothing when that listing failed; the reason has been said on standard error.
std::optional<HandheldNames> HandheldNamesIn(CDeviceSession& session, const std::u16string& folder,
                                             const std::vector<std::string>& arguments);

// Why a pattern stands for no file: "no file in \My Documents matches it".
std::string NoMatchReason(const std::u16string& folder);

}  // namespace kiro::cli
