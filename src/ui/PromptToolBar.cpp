#include "ui/PromptToolBar.h"

#include <wx/frame.h>

#include "commands/CommandIds.h"
#include "commands/CommandPrompts.h"
#include "ui/WxText.h"

namespace kiro {

CPromptToolBar::CPromptToolBar(wxFrame* frame, long style)
    : wxAuiToolBar(frame, wxID_ANY, wxDefaultPosition, wxDefaultSize, style), m_frame(frame) {
    Bind(wxEVT_MOTION, &CPromptToolBar::OnMotion, this);
    Bind(wxEVT_LEAVE_WINDOW, &CPromptToolBar::OnLeave, this);
}

void CPromptToolBar::AddCommand(int commandId, const wxBitmapBundle& picture, wxItemKind kind) {
    const int id = WxCommandId(commandId);
    AddTool(id, wxString(), picture, ToWx(ToolTipText(commandId)), kind);
    SetToolLongHelp(id, ToWx(StatusPrompt(commandId)));
}

void CPromptToolBar::AddPromptedControl(wxControl* control, int commandId) {
    const wxString tip = ToWx(ToolTipText(commandId));
    if (!tip.empty()) {
        control->SetToolTip(tip);
    }
    const wxString prompt = ToWx(StatusPrompt(commandId));
    control->Bind(wxEVT_ENTER_WINDOW, [this, prompt](wxMouseEvent& event) {
        ShowPrompt(prompt);
        event.Skip();
    });
    control->Bind(wxEVT_LEAVE_WINDOW, [this](wxMouseEvent& event) {
        HidePrompt();
        event.Skip();
    });
    AddControl(control);
}

void CPromptToolBar::OnMotion(wxMouseEvent& event) {
    wxAuiToolBarItem* tool = FindToolByPosition(event.GetX(), event.GetY());
    const bool isButton =
        tool != nullptr && (tool->GetKind() == wxITEM_NORMAL || tool->GetKind() == wxITEM_CHECK ||
                            tool->GetKind() == wxITEM_RADIO);
    if (isButton) {
        ShowPrompt(tool->GetLongHelp());
    } else {
        HidePrompt();
    }
    event.Skip();
}

void CPromptToolBar::OnLeave(wxMouseEvent& event) {
    HidePrompt();
    event.Skip();
}

void CPromptToolBar::ShowPrompt(const wxString& prompt) {
    if (m_promptShown && prompt == m_prompt) {
        return;
    }
    m_promptShown = true;
    m_prompt = prompt;
    m_frame->DoGiveHelp(prompt, true);
}

void CPromptToolBar::HidePrompt() {
    if (!m_promptShown) {
        return;
    }
    m_promptShown = false;
    m_frame->DoGiveHelp(wxString(), false);
}

}  // namespace kiro
