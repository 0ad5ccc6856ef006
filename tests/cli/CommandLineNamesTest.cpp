#include <gtest/gtest.h>

#include <span>
#include <sstream>

#include "conversion/OutputFormats.h"
#include "support/TempDir.h"
#include "transfer/TransferActions.h"

namespace kiro {
namespace {

using test::ReadFileBytes;

const std::string kCompletion = KIROCONV_SOURCE_DIR "/packaging/kiroconv-cli.bash-completion";
const std::string kManual = KIROCONV_SOURCE_DIR "/docs/man/kiroconv-cli.1.scd";

std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;) {
        words.push_back(word);
    }
    return words;
}

// The words of a completion list: NAME="a b c".
std::vector<std::string> CompletionList(const std::string& script, const std::string& name) {
    const std::string start = "\n" + name + "=\"";
    const std::size_t at = script.find(start);
    if (at == std::string::npos) {
        return {};
    }
    const std::size_t from = at + start.size();
    return Words(script.substr(from, script.find('"', from) - from));
}

// The choices the manual lists under an option, one "- *name* - ..." line each, up to
// the next option.
std::vector<std::string> ManualChoices(const std::string& manual, const std::string& option) {
    const std::size_t at = manual.find("\n" + option);
    if (at == std::string::npos) {
        return {};
    }
    std::istringstream in(manual.substr(at + 1));
    std::vector<std::string> choices;
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line) && (line.empty() || line.front() != '*')) {
        const std::size_t open = line.find("- *");
        const std::size_t close = line.find("* -", open + 3);
        if (open != std::string::npos && close != std::string::npos) {
            choices.push_back(line.substr(open + 3, close - open - 3));
        }
    }
    return choices;
}

template <typename Row>
std::vector<std::string> CommandLineNames(std::span<const Row> rows) {
    std::vector<std::string> names;
    for (const Row& row : rows) {
        names.emplace_back(row.commandLineName);
    }
    return names;
}

// The completion and the manual are written by hand; each must offer every format and
// every action the command line takes, in the tables' order.
TEST(CommandLineNames, TheCompletionAndTheManualOfferEveryFormatAndAction) {
    const std::string completion = ReadFileBytes(kCompletion);
    const std::string manual = ReadFileBytes(kManual);
    const std::vector<std::string> formats = CommandLineNames(OutputFormats());
    EXPECT_EQ(CompletionList(completion, "_kiroconv_cli_formats"), formats);
    EXPECT_EQ(ManualChoices(manual, "*-f*, *--format*"), formats);
    const std::vector<std::string> actions = CommandLineNames(TransferActions());
    EXPECT_EQ(CompletionList(completion, "_kiroconv_cli_actions"), actions);
    EXPECT_EQ(ManualChoices(manual, "*-a*, *--action*"), actions);
}

}  // namespace
}  // namespace kiro
