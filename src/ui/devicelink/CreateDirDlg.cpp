#include "ui/devicelink/CreateDirDlg.h"

#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "ui/DialogButtons.h"
#include "ui/WxText.h"

namespace kiro {

CCreateDirDlg::CCreateDirDlg(wxWindow* parent) {
    Create(parent, wxID_ANY, "Create Directory");
    CreateControls();
}

// The layout keeps the proportions of the dialog's original template, in dialog units.
void CCreateDirDlg::CreateControls() {
    const auto dlu = [this](int x, int y) { return wxDLG_UNIT(this, wxSize(x, y)); };
    const int gap = dlu(5, 5).y;

    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(new wxStaticText(this, wxID_ANY, "Root Directory"));
    m_root = new wxStaticText(this, kIdRoot, wxString(), wxDefaultPosition, dlu(170, 20),
                              wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_MIDDLE);
    column->Add(m_root, wxSizerFlags().Expand().Border(wxTOP, gap / 2));
    column->Add(new wxStaticText(this, wxID_ANY, "New Directory Name"));
    m_newName = new wxTextCtrl(this, kIdNewName, wxString(), wxDefaultPosition, dlu(170, -1));
    column->Add(m_newName, wxSizerFlags().Expand().Border(wxTOP, gap / 2));

    column->Add(CreateOkCancelRow(this, gap),
                wxSizerFlags().CenterHorizontal().Border(wxTOP, 2 * gap));

    auto* outer = new wxBoxSizer(wxVERTICAL);
    outer->Add(column, wxSizerFlags(1).Expand().Border(wxALL, 2 * gap));
    SetSizerAndFit(outer);
    CentreOnParent();
    m_newName->SetFocus();
}

bool CCreateDirDlg::TransferDataToWindow() {
    m_root->SetLabel(ToWx(m_strRoot));
    m_newName->ChangeValue(ToWx(m_strNewName));
    return true;
}

bool CCreateDirDlg::TransferDataFromWindow() {
    m_strNewName = FromWx(m_newName->GetValue());
    return true;
}

std::optional<std::string> AskNewDirectoryName(wxWindow* parent, const std::string& root) {
    CCreateDirDlg dialog(parent);
    dialog.m_strRoot = root;
    dialog.m_strNewName.clear();
    if (dialog.ShowModal() != wxID_OK) {
        return std::nullopt;
    }
    return dialog.m_strNewName;
}

}  // namespace kiro
