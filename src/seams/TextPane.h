#pragma once

#include <string>

namespace kiro {

// A line of text the user watches: the status bar's message pane, or the status
// text of the transfer dialog. Setting it shows it at once.
class ITextPane {
public:
    virtual ~ITextPane() = default;
    virtual void SetText(const std::string& text) = 0;
};

}  // namespace kiro
