#include "ui/StatusBarPane.h"
#include "ui/WxText.h"

#include <wx/frame.h>
#include <wx/statusbr.h>

namespace kiro {

void CStatusBarPane::SetText(const std::string& text) {
    wxStatusBar* bar = m_frame.GetStatusBar();
    if (bar == nullptr) {
        return;
    }
    bar->SetStatusText(ToWx(text), 0);
    if (bar->IsShown()) {
        bar->Update();
    }
}

std::string CStatusBarPane::GetText() const {
    const wxStatusBar* bar = m_frame.GetStatusBar();
    return bar == nullptr ? std::string() : bar->GetStatusText(0).utf8_string();
}

}  // namespace kiro
