#pragma once

#include <wx/dialog.h>

#include <optional>
#include <string>

class wxStaticText;
class wxTextCtrl;

namespace kiro {

// "Create Directory": shows the handheld folder in which the new one will be made and
// takes the new folder's name. The name is used as typed.
class CCreateDirDlg final : public wxDialog {
public:
    enum ControlId : int {
        kIdNewName = 1004,
        kIdRoot = 1005,
    };

    explicit CCreateDirDlg(wxWindow* parent);

    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;

    std::string m_strNewName;
    std::string m_strRoot;

private:
    void CreateControls();

    wxStaticText* m_root = nullptr;
    wxTextCtrl* m_newName = nullptr;
};

// Runs the dialog for a folder; the typed name, or nothing after Cancel.
std::optional<std::string> AskNewDirectoryName(wxWindow* parent, const std::string& root);

}  // namespace kiro
