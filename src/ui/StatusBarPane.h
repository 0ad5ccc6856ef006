#pragma once

#include "seams/TextPane.h"

class wxFrame;

namespace kiro {

// The message pane of the main window's status bar (its first field).
class CStatusBarPane final : public ITextPane {
public:
    explicit CStatusBarPane(wxFrame& frame) : m_frame(frame) {}
    // Shows the text at once, without waiting for the event loop: long operations set
    // it just before they block.
    void SetText(const std::string& text) override;
    std::string GetText() const;

private:
    wxFrame& m_frame;
};

}  // namespace kiro
