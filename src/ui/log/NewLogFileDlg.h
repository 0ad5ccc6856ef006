#pragma once

#include <wx/dialog.h>

#include <string>

#include "log/LogCommands.h"

class wxStaticText;
class wxTextCtrl;

namespace kiro {

// "Create New Log File": shows the current log file name and takes a new one, typed or
// chosen with "..." in a Save dialog. The caller fills both names before running it;
// OK takes the edit box's text into m_strNewLogName as it is.
class CNewLogFileDlg final : public wxDialog {
public:
    enum ControlId : int {
        kIdBrowseLogFile = 1001,
        kIdCurrentLogName = 1009,
        kIdNewLogName = 1010,
    };

    CNewLogFileDlg(wxWindow* parent, IFileDialogs& fileDialogs);

    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;

    void OnBrowseLogFile(wxCommandEvent& event);

    std::string m_strNewLogName;
    std::string m_strCurrentLogName;

private:
    void CreateControls();

    IFileDialogs& m_fileDialogs;
    wxStaticText* m_currentName = nullptr;
    wxTextCtrl* m_newName = nullptr;
};

// The dialog as the Log commands ask for it.
class CWxNewLogFileDialog final : public INewLogFileDialog {
public:
    explicit CWxNewLogFileDialog(wxWindow* parent) : m_parent(parent) {}
    std::optional<std::string> AskNewLogName(const std::string& currentName,
                                             IFileDialogs& fileDialogs) override;

private:
    wxWindow* m_parent;
};

}  // namespace kiro
