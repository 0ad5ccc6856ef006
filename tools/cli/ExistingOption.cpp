#include "cli/ExistingOption.h"

#include <CLI/CLI.hpp>

namespace kiro::cli {

void AddExistingOption(CLI::App& command, std::string& existing) {
    command
        .add_option("--existing", existing,
                    "When the PC folder holds a different file of a copy's name: replace it, "
                    "keep-both (the copy is saved as \"NAME (2).EXT\") or skip the copy "
                    "(default: skip). A file with the same bytes counts as copied.")
        ->check(CLI::IsMember({"replace", "keep-both", "skip"}));
}

ExistingFilePolicy ExistingPolicyFromName(const std::string& name) {
    if (name == "replace") {
        return ExistingFilePolicy::Replace;
    }
    if (name == "keep-both") {
        return ExistingFilePolicy::KeepBoth;
    }
    return ExistingFilePolicy::Skip;
}

}  // namespace kiro::cli
