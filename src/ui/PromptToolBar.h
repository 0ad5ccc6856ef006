#pragma once

#include <wx/aui/auibar.h>

class wxFrame;

namespace kiro {

// A dockable toolbar that shows the status-bar prompt of the button or control under
// the pointer in the main window's status bar, as the menus do. (An AUI toolbar keeps
// its long help to itself.)
class CPromptToolBar : public wxAuiToolBar {
public:
    CPromptToolBar(wxFrame* frame, long style);

    // Adds the button of a command (its id as in CommandIds.h) with its picture, its
    // tooltip and its prompt.
    void AddCommand(int commandId, const wxBitmapBundle& picture, wxItemKind kind = wxITEM_NORMAL);
    // Adds a control whose prompt shows while the pointer is over it.
    void AddPromptedControl(wxControl* control, int commandId);

private:
    void OnMotion(wxMouseEvent& event);
    void OnLeave(wxMouseEvent& event);
    void ShowPrompt(const wxString& prompt);
    void HidePrompt();

    wxFrame* m_frame;
    bool m_promptShown = false;
    wxString m_prompt;
};

}  // namespace kiro
