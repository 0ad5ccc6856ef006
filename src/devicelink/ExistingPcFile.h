#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace kiro {

// What a copy from the handheld does when the PC folder already holds a different file
// of the same name. A file with the same bytes is never asked about: the copy counts
// as done.
enum class ExistingFileChoice { Replace, KeepBoth, Skip };

// The same as a standing rule for a whole job, or Ask to put the question each time.
enum class ExistingFilePolicy { Ask, Replace, KeepBoth, Skip };

// What the user is shown before choosing.
struct ExistingFileQuestion {
    std::string path;  // the PC file that is already there
    std::uint64_t existingSize = 0;
    std::string existingDate;
    std::uint64_t newSize = 0;
    std::string newDate;  // the handheld file's date, when the caller knows it
};

struct ExistingFileAnswer {
    ExistingFileChoice choice = ExistingFileChoice::Skip;
    bool forRestOfJob = false;  // "Do the same for the rest of this job"
};

// Decides one taken name; called only for a file with different bytes.
using ExistingFileResolver = std::function<ExistingFileChoice(const ExistingFileQuestion&)>;

// Where a complete copy ended up.
enum class CopyPlacement {
    New,        // under its own name, which was free
    Identical,  // the PC already held the same bytes under that name
    Replaced,   // a different file of that name was replaced
    KeptBoth,   // saved as "NAME (N).EXT" beside the other file
    Skipped,    // not kept: the other file stays, and so must the handheld's
};

// The choice a standing policy makes; Ask has none.
inline ExistingFileChoice ChoiceOf(ExistingFilePolicy policy) {
    switch (policy) {
        case ExistingFilePolicy::Replace:
            return ExistingFileChoice::Replace;
        case ExistingFilePolicy::KeepBoth:
            return ExistingFileChoice::KeepBoth;
        default:
            return ExistingFileChoice::Skip;
    }
}

inline ExistingFilePolicy PolicyOf(ExistingFileChoice choice) {
    switch (choice) {
        case ExistingFileChoice::Replace:
            return ExistingFilePolicy::Replace;
        case ExistingFileChoice::KeepBoth:
            return ExistingFilePolicy::KeepBoth;
        default:
            return ExistingFilePolicy::Skip;
    }
}

}  // namespace kiro
