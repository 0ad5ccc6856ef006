#include "ui/KiroConvApp.h"

#include <wx/cmdline.h>
#include <wx/config.h>
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
    if (!m_filesToPreview.empty()) {
        frame->PreviewFiles(m_filesToPreview);
    }
    return true;
}

void CKiroConvApp::OnInitCmdLine(wxCmdLineParser& parser) {
    wxApp::OnInitCmdLine(parser);
    parser.AddParam("FILE", wxCMD_LINE_VAL_STRING,
                    wxCMD_LINE_PARAM_OPTIONAL | wxCMD_LINE_PARAM_MULTIPLE);
}

bool CKiroConvApp::OnCmdLineParsed(wxCmdLineParser& parser) {
    for (std::size_t i = 0; i < parser.GetParamCount(); ++i) {
        m_filesToPreview.push_back(parser.GetParam(i).utf8_string());
    }
    return wxApp::OnCmdLineParsed(parser);
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
