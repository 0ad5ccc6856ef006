#pragma once

#include <wx/dialog.h>

#include "devicelink/ExistingPcFile.h"

class wxCheckBox;

namespace kiro {

// "File Already Exists": a copy from the handheld meets a different PC file of the same
// name. Shows both files' sizes and dates and offers Replace, Keep Both (the copy is
// saved as "NAME (2).EXT") and Skip; Escape skips. The check box applies the choice to
// the rest of the job.
class CExistingFileDlg final : public wxDialog {
public:
    enum ControlId : int {
        kIdReplace = 1101,
        kIdKeepBoth = 1102,
        kIdSkip = 1103,
        kIdForRest = 1104,
    };

    CExistingFileDlg(wxWindow* parent, const ExistingFileQuestion& question);

    // The answer the dialog ended with (its modal result).
    ExistingFileAnswer Answer(int endedWith) const;

private:
    void CreateControls(const ExistingFileQuestion& question);
    void OnChoice(wxCommandEvent& event);

    wxCheckBox* m_forRest = nullptr;
};

ExistingFileAnswer AskAboutExistingFile(wxWindow* parent, const ExistingFileQuestion& question);

}  // namespace kiro
