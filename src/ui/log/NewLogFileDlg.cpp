#include "ui/log/NewLogFileDlg.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "ui/DialogButtons.h"
#include "ui/WxText.h"

namespace kiro {

CNewLogFileDlg::CNewLogFileDlg(wxWindow* parent, IFileDialogs& fileDialogs)
    : m_fileDialogs(fileDialogs) {
    SetExtraStyle(GetExtraStyle() | wxDIALOG_EX_CONTEXTHELP);
    Create(parent, wxID_ANY, "Create New Log File");
    CreateControls();
}

// The layout keeps the proportions of the dialog's original template, in dialog units.
void CNewLogFileDlg::CreateControls() {
    const auto dlu = [this](int x, int y) { return wxDLG_UNIT(this, wxSize(x, y)); };
    const int gap = dlu(5, 5).y;

    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(new wxStaticText(this, wxID_ANY, "Current Log File Name"));
    m_currentName = new wxStaticText(this, kIdCurrentLogName, wxString(), wxDefaultPosition,
                                     dlu(210, 10), wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_MIDDLE);
    column->Add(m_currentName, wxSizerFlags().Expand().Border(wxTOP, gap));
    column->Add(new wxStaticText(this, wxID_ANY, "New Log File Name"),
                wxSizerFlags().Border(wxTOP, 2 * gap));

    auto* nameRow = new wxBoxSizer(wxHORIZONTAL);
    m_newName = new wxTextCtrl(this, kIdNewLogName, wxString(), wxDefaultPosition, dlu(215, -1));
    nameRow->Add(m_newName, wxSizerFlags(1).CenterVertical());
    auto* browse =
        new wxButton(this, kIdBrowseLogFile, "...", wxDefaultPosition, dlu(15, -1), wxBU_EXACTFIT);
    nameRow->Add(browse, wxSizerFlags().CenterVertical().Border(wxLEFT, gap));
    column->Add(nameRow, wxSizerFlags().Expand().Border(wxTOP, gap));

    column->Add(CreateOkCancelRow(this, gap),
                wxSizerFlags().CenterHorizontal().Border(wxTOP, 2 * gap));

    auto* outer = new wxBoxSizer(wxVERTICAL);
    outer->Add(column, wxSizerFlags(1).Expand().Border(wxALL, gap));
    SetSizerAndFit(outer);
    CentreOnParent();

    browse->Bind(wxEVT_BUTTON, &CNewLogFileDlg::OnBrowseLogFile, this);
    m_newName->SetFocus();
}

bool CNewLogFileDlg::TransferDataToWindow() {
    m_currentName->SetLabel(ToWx(m_strCurrentLogName));
    m_currentName->SetToolTip(ToWx(m_strCurrentLogName));
    m_newName->ChangeValue(ToWx(m_strNewLogName));
    return true;
}

bool CNewLogFileDlg::TransferDataFromWindow() {
    m_strNewLogName = FromWx(m_newName->GetValue());
    return true;
}

void CNewLogFileDlg::OnBrowseLogFile(wxCommandEvent& /*event*/) {
    if (std::optional<std::string> chosen = BrowseForNewLogFile(m_fileDialogs)) {
        m_strNewLogName = std::move(*chosen);
        TransferDataToWindow();
    }
}

std::optional<std::string> CWxNewLogFileDialog::AskNewLogName(const std::string& currentName,
                                                              IFileDialogs& fileDialogs) {
    CNewLogFileDlg dialog(m_parent, fileDialogs);
    dialog.m_strCurrentLogName = currentName;
    dialog.m_strNewLogName = currentName;
    if (dialog.ShowModal() != wxID_OK) {
        return std::nullopt;
    }
    return dialog.m_strNewLogName;
}

}  // namespace kiro
