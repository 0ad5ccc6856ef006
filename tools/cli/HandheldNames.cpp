#include "cli/HandheldNames.h"

#include <algorithm>

#include "cli/DeviceSession.h"
#include "devicelink/NamePatterns.h"
#include "platform/Utf16.h"

namespace kiro::cli {

HandheldNames ExpandHandheldNames(const std::vector<std::string>& arguments,
                                  const CMemoryFileList& listing) {
    HandheldNames expanded;
    for (const std::string& argument : arguments) {
        if (!IsNamePattern(argument)) {
            expanded.names.push_back(argument);
            continue;
        }
        bool matched = false;
        for (int item = 0; item < listing.GetItemCount(); ++item) {
            const std::string& name = listing.RowAt(item).columns[0];
            if (!MatchesNamePattern(argument, name)) {
                continue;
            }
            matched = true;
            if (std::find(expanded.names.begin(), expanded.names.end(), name) ==
                expanded.names.end()) {
                expanded.names.push_back(name);
            }
        }
        if (!matched) {
            expanded.unmatched.push_back(argument);
        }
    }
    return expanded;
}

std::optional<HandheldNames> HandheldNamesIn(CDeviceSession& session, const std::u16string& folder,
                                             const std::vector<std::string>& arguments) {
    CMemoryFileList listing;
    if (std::any_of(arguments.begin(), arguments.end(),
                    [](const std::string& name) { return IsNamePattern(name); })) {
        const FolderListing listed = session.Link().ListFolder(folder, listing);
        if (ReportLostConnection(session.Link())) {
            return std::nullopt;
        }
        if (!listed.Listed()) {
            ReportMissingFolder(folder);
            return std::nullopt;
        }
    }
    return ExpandHandheldNames(arguments, listing);
}

std::string NoMatchReason(const std::u16string& folder) {
    return "no file in " + Utf16ToUtf8Lossy(folder) + " matches it";
}

}  // namespace kiro::cli
