#pragma once

#include <string>

#include "ui/PromptToolBar.h"

class wxTextCtrl;
class wxChoice;
class wxButton;

namespace kiro {

// The bar in the main window's top row that chooses where transferred files go (the
// target directory), what a transfer does with them (the action), and starts it (Go).
// Its controls notify the main frame, which keeps the settings in force; the bar's
// members are a staging copy exchanged with the controls by TransferDataToWindow and
// TransferDataFromWindow.
class CTargetBar final : public CPromptToolBar {
public:
    explicit CTargetBar(wxFrame* frame);

    // Stages a target directory and an action (-1: none) for TransferDataToWindow.
    void SetTarget(const std::string& target, int action);
    // The target directory as TransferDataFromWindow last read it.
    const std::string& GetTarget() const { return m_strTarget; }

    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;

    wxTextCtrl* GetTargetEdit() const { return m_edit; }
    wxChoice* GetActionList() const { return m_actions; }
    wxButton* GetBrowseButton() const { return m_browse; }
    wxButton* GetGoButton() const { return m_go; }

private:
    std::string m_strTarget;
    int m_nAction = -1;
    wxTextCtrl* m_edit = nullptr;
    wxChoice* m_actions = nullptr;
    wxButton* m_browse = nullptr;
    wxButton* m_go = nullptr;
};

}  // namespace kiro
