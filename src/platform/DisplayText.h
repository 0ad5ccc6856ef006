#pragma once

#include <string>
#include <string_view>

namespace kiro {

// Names from the handheld may hold control characters. Shown raw, a newline would
// split one log record in two and an escape sequence would reach the terminal, so
// log and terminal lines show them escaped: "\n", "\r", "\t", "\x1B", and "\u009B"
// for the C1 controls. Everything else, backslashes included, stays as it is.
std::string EscapeControlCharacters(std::string_view text);

}  // namespace kiro
