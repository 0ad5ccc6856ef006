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
// members are a staging copy exchanged with the controls by UpdateData.
class CTargetBar final : public CPromptToolBar {
public:
    explicit CTargetBar(wxFrame* frame);

    // true: read the controls into the members; false: show the members in the controls.
    void UpdateData(bool saveAndValidate);

    wxTextCtrl* GetTargetEdit() const { return m_edit; }
    wxChoice* GetActionList() const { return m_actions; }
    wxButton* GetBrowseButton() const { return m_browse; }
    wxButton* GetGoButton() const { return m_go; }

    std::string m_strTarget;
    int m_nAction = -1;

private:
    wxTextCtrl* m_edit = nullptr;
    wxChoice* m_actions = nullptr;
    wxButton* m_browse = nullptr;
    wxButton* m_go = nullptr;
};

}  // namespace kiro
