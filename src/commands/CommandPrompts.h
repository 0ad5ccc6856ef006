#pragma once

#include <string_view>

namespace kiro {

// The prompt of a command as "status-bar text\ntooltip"; empty when it has none.
std::string_view CommandPrompt(int id);

// The part before "\n": what the status bar shows while the item is under the pointer.
std::string_view StatusPrompt(int id);

// The part after "\n": a toolbar button's tooltip; empty when there is none.
std::string_view ToolTipText(int id);

}  // namespace kiro
