#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace kiro::cli {

// "a, b or c": the names as a sentence lists them.
std::string SpokenChoices(const std::vector<std::string_view>& names);

// Adds an option that takes one of `names` (the error for another word lists them in
// alphabetical order).
CLI::Option* AddChoiceOption(CLI::App& command, const std::string& flags, std::string& value,
                             const std::vector<std::string_view>& names,
                             const std::string& description);

}  // namespace kiro::cli
