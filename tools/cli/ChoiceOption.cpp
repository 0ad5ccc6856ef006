#include "cli/ChoiceOption.h"

#include <CLI/CLI.hpp>
#include <algorithm>

namespace kiro::cli {

std::string SpokenChoices(const std::vector<std::string_view>& names) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        text += i == 0 ? "" : i + 1 == names.size() ? " or " : ", ";
        text += names[i];
    }
    return text;
}

CLI::Option* AddChoiceOption(CLI::App& command, const std::string& flags, std::string& value,
                             const std::vector<std::string_view>& names,
                             const std::string& description) {
    std::vector<std::string> sorted(names.begin(), names.end());
    std::sort(sorted.begin(), sorted.end());
    return command.add_option(flags, value, description)->check(CLI::IsMember(sorted));
}

}  // namespace kiro::cli
