#include "ui/transfer/TargetBar.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "commands/CommandIds.h"
#include "transfer/TransferActions.h"
#include "ui/WxText.h"

namespace kiro {

namespace {

// The bar was laid out in dialog units; these keep its proportions in any font.
wxSize DialogUnits(wxWindow* window, int width, int height) {
    return window->ConvertDialogToPixels(wxSize(width, height));
}

}  // namespace

CTargetBar::CTargetBar(wxFrame* frame)
    : CPromptToolBar(frame, wxAUI_TB_DEFAULT_STYLE | wxAUI_TB_GRIPPER) {
    auto* label = new wxStaticText(this, wxID_ANY, "Target Dir.", wxDefaultPosition, wxDefaultSize,
                                   wxALIGN_RIGHT);
    AddControl(label);

    m_edit = new wxTextCtrl(this, WxCommandId(kIdTargetEdit), wxString(), wxDefaultPosition,
                            wxSize(DialogUnits(this, 140, 14).x, -1));
    AddPromptedControl(m_edit, kIdTargetEdit);

    m_browse = new wxButton(this, WxCommandId(kIdBrowseTarget), "...", wxDefaultPosition,
                            wxDefaultSize, wxBU_EXACTFIT);
    AddPromptedControl(m_browse, kIdBrowseTarget);

    wxArrayString names;
    for (const TransferActionRow& row : TransferActions()) {
        names.Add(ToWx(row.listEntry));
    }
    m_actions =
        new wxChoice(this, WxCommandId(kIdActionList), wxDefaultPosition, wxDefaultSize, names);
    AddPromptedControl(m_actions, kIdActionList);

    m_go = new wxButton(this, WxCommandId(kIdGo), "Go", wxDefaultPosition, wxDefaultSize,
                        wxBU_EXACTFIT);
    // Fitted exactly, the two letters touch the frame; give them the room of a button.
    m_go->SetInitialSize(wxSize(m_go->GetBestSize().x + FromDIP(16), -1));
    AddPromptedControl(m_go, kIdGo);
    Realize();
}

void CTargetBar::SetTarget(const std::string& target, int action) {
    m_strTarget = target;
    m_nAction = action;
}

bool CTargetBar::TransferDataToWindow() {
    // ChangeValue: showing the staged text is not an edit by the user.
    m_edit->ChangeValue(ToWx(m_strTarget));
    m_actions->SetSelection(TransferActionFromCode(m_nAction) ? m_nAction : wxNOT_FOUND);
    return true;
}

bool CTargetBar::TransferDataFromWindow() {
    m_strTarget = m_edit->GetValue().utf8_string();
    m_nAction = m_actions->GetSelection();
    return true;
}

}  // namespace kiro
