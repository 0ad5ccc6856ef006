#pragma once

#include <CLI/CLI.hpp>
#include <cstring>
#include <string>

#include "platform/DisplayText.h"

namespace kiro::cli {

// The parser's message for a usage error, which quotes what the user typed: that part is
// shown with its control characters escaped, like every name the programs print.
inline std::string EscapedFailureMessage(const CLI::App* app, const CLI::Error& error) {
    const std::string plain = CLI::FailureMessage::simple(app, error);
    const std::size_t quoted = std::strlen(error.what());
    return EscapeControlCharacters(plain.substr(0, quoted)) + plain.substr(quoted);
}

}  // namespace kiro::cli
