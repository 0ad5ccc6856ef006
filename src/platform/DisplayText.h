#pragma once

#include <string>
#include <string_view>

namespace kiro {

// Names from the handheld may hold control characters, and names on the PC any bytes at
// all. Shown raw, a newline would split one log record in two, an escape sequence would
// reach the terminal, and a byte that is not UTF-8 would spoil the line for whatever shows
// it. So log and terminal lines show them escaped: "\n", "\r", "\t", "\x1B", "\u009B" for
// the C1 controls, and "\xFF" for each byte that is not part of well-formed UTF-8.
// Everything else, backslashes included, stays as it is.
std::string EscapeControlCharacters(std::string_view text);

}  // namespace kiro
