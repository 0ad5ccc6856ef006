// The main frame's handlers of the target bar: they keep the frame's TargetDirectory
// and DefaultAction in step with the bar's controls.
#include <wx/choice.h>
#include <wx/textctrl.h>

#include "transfer/TransferActions.h"
#include "ui/MainFrame.h"
#include "ui/transfer/TargetBar.h"

namespace kiro {

namespace {

constexpr const char* kBrowseTitle = "Select an Output Folder";

}  // namespace

void CMainFrame::OnTargetChanged(wxCommandEvent& /*event*/) {
    m_settings.targetDirectory = m_targetBar->GetTargetEdit()->GetValue().utf8_string();
}

void CMainFrame::OnActionChanged(wxCommandEvent& /*event*/) {
    const std::string entry = m_targetBar->GetActionList()->GetStringSelection().utf8_string();
    if (const std::optional<TransferAction> action = ActionFromName(entry)) {
        m_settings.defaultAction = static_cast<int>(*action);
    }
}

void CMainFrame::OnBrowseTarget(wxCommandEvent& /*event*/) {
    const std::optional<std::string> folder =
        m_fileDialogs->ChooseFolder(kBrowseTitle, m_settings.targetDirectory);
    if (!folder || folder->empty()) {
        return;
    }
    m_settings.targetDirectory = *folder;
    // The action list keeps showing the action in force.
    m_targetBar->SetTarget(*folder, m_settings.defaultAction);
    m_targetBar->TransferDataToWindow();
}

}  // namespace kiro
