#pragma once

#include <wx/dialog.h>

#include <string>
#include <string_view>

#include "platform/ProgramVersion.h"

namespace kiro {

// "About KiroConv": the program's icon and name, and the version it reads from its
// version record when the box is made. Closes with OK, Escape or the title bar.
class CAboutDlg final : public wxDialog {
public:
    enum ControlId : int { kIdVersionText = 1012 };

    // Tests pass a record of their own, e.g. one that cannot be read.
    explicit CAboutDlg(wxWindow* parent, std::string_view versionRecord = BuiltInVersionRecord());

    // The text under "Program Version"; empty when the record has no file version.
    const std::string& GetVersionText() const { return m_strVersion; }

private:
    void CreateControls();

    std::string m_strVersion;
};

}  // namespace kiro
