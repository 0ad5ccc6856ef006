#pragma once

#include <wx/dialog.h>

#include <string>

#include "platform/ProgramVersion.h"

namespace kiro {

// "About KiroConv": the program's icon and name, and the version it reads from its
// program file's version record when the box is made. Closes with OK, Escape or the
// title bar.
class CAboutDlg final : public wxDialog {
public:
    enum ControlId : int { kIdVersionText = 1012 };

    // Tests pass a version of their own, e.g. the empty one of a damaged record.
    explicit CAboutDlg(wxWindow* parent, std::string versionText = ProgramFileVersion());

    // The text under "Program Version"; empty when the record has no file version.
    const std::string& GetVersionText() const { return m_strVersion; }

private:
    void CreateControls();

    std::string m_strVersion;
};

}  // namespace kiro
