#pragma once

#include <wx/app.h>

#include <memory>
#include <string>
#include <vector>

class wxConfigBase;

namespace kiro {

class CWxSettingsStore;
class CMainFrame;

// The application: sets up the settings file and the resources, then makes and shows
// the main window. It handles About itself.
class CKiroConvApp : public wxApp {
public:
    CKiroConvApp();
    ~CKiroConvApp() override;

    bool OnInit() override;
    // `kiroconv FILE...` opens with those spectrum files in the preview.
    void OnInitCmdLine(wxCmdLineParser& parser) override;
    bool OnCmdLineParsed(wxCmdLineParser& parser) override;
    int OnExit() override;

    void OnAbout(wxCommandEvent& event);

    // What every run needs before a window exists: pictures, help book, settings.
    void InitResources();
    CWxSettingsStore& GetSettingsStore() { return *m_store; }

private:
    std::unique_ptr<wxConfigBase> m_config;
    std::unique_ptr<CWxSettingsStore> m_store;
    std::vector<std::string> m_filesToPreview;
};

}  // namespace kiro
