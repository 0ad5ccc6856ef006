#include "ui/KiroConvApp.h"

#include <wx/fileconf.h>
#include <wx/stdpaths.h>

#include "commands/CommandIds.h"
#include "ui/AboutDlg.h"
#include "ui/MainFrame.h"
#include "ui/ResourceFiles.h"
#include "ui/WxSettingsStore.h"

namespace kiro {

CKiroConvApp::CKiroConvApp() {
    SetAppName("KiroConv");
    SetVendorName("Corvane Tech Software");
    Bind(wxEVT_MENU, &CKiroConvApp::OnAbout, this, WxCommandId(kIdAbout));
}

CKiroConvApp::~CKiroConvApp() = default;

void CKiroConvApp::InitResources() {
    RegisterHelpBook();
    if (!m_config) {
        m_config = CreateUserConfig();
        m_store = std::make_unique<CWxSettingsStore>(*m_config);
    }
}

bool CKiroConvApp::OnInit() {
    if (!wxApp::OnInit()) {
        return false;
    }
    InitResources();
    const std::string documents = wxStandardPaths::Get().GetDocumentsDir().utf8_string();
    auto* frame = new CMainFrame(*m_store, documents);
    SetTopWindow(frame);
    frame->ShowAtStartup();
    return true;
}

int CKiroConvApp::OnExit() {
    // The views have written their settings by now; the file is written once, here.
    if (m_config) {
        m_config->Flush();
    }
    return wxApp::OnExit();
}

// The about box has a window of its own.
void CKiroConvApp::OnAbout(wxCommandEvent& /*event*/) {
    CAboutDlg(GetTopWindow()).ShowModal();
}

}  // namespace kiro
