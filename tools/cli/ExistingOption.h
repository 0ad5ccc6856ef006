#pragma once

#include <string>

#include "devicelink/ExistingPcFile.h"

namespace CLI {
class App;
}

namespace kiro::cli {

// --existing replace|keep-both|skip: what a copy of a handheld file does when the PC
// folder holds a different file of its name. Skip, the default, loses nothing.
void AddExistingOption(CLI::App& command, std::string& existing);
ExistingFilePolicy ExistingPolicyFromName(const std::string& name);

// "... (--existing replace or keep-both copies it)": what a kept file's line adds.
inline constexpr const char* kKeptExistingHint =
    "a different file of that name is already there (--existing replace or keep-both "
    "copies it)";

// What became of the PC files a copy was to replace: each one put in the trash, or the one
// the trash would not take, kept with the copy skipped (its reason on standard error).
void ReportReplacedFiles(const std::string& pcPath, int replacedIntoTrash,
                         const std::string& trashProblem);

}  // namespace kiro::cli
