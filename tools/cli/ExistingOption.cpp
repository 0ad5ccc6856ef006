#include "cli/ExistingOption.h"

#include <CLI/CLI.hpp>
#include <cstdio>

#include "cli/TerminalText.h"

namespace kiro::cli {

void AddExistingOption(CLI::App& command, std::string& existing) {
    command
        .add_option("--existing", existing,
                    "When the PC folder holds a different file of a copy's name: replace it, "
                    "keep-both (the copy is saved as \"NAME (2).EXT\") or skip the copy "
                    "(default: skip). A file with the same bytes counts as copied. A replaced "
                    "file goes to the trash; one the trash will not take is kept and the "
                    "copy skipped.")
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

void ReportReplacedFiles(const std::string& pcPath, int replacedIntoTrash,
                         const std::string& trashProblem) {
    for (int i = 0; i < replacedIntoTrash; ++i) {
        PrintLine(stdout, "put the replaced file %s in the trash\n", pcPath);
    }
    if (!trashProblem.empty()) {
        PrintLine(stdout, "kept %s: it could not be put in the trash, so it was not replaced\n",
                  pcPath);
        PrintLine(stderr, "kiroconv-cli: cannot put %s in the trash: %s\n", pcPath, trashProblem);
    }
}

}  // namespace kiro::cli
