#include "FrameFixture.h"

#include <chrono>

#include <wx/app.h>
#include <wx/aui/auibar.h>
#include <wx/fileconf.h>
#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/stdpaths.h>
#include <wx/utils.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdlib>
#include <sstream>

#include "ui/CommandIds.h"
#include "ui/ResourceFiles.h"

namespace kiro::test {

std::optional<std::string> CScriptedFileDialogs::Next(const std::string& title) {
    titles.push_back(title);
    if (answers.empty()) {
        ADD_FAILURE() << "unexpected file dialog \"" << title << '"';
        return std::nullopt;
    }
    std::optional<std::string> answer = answers.front();
    answers.pop_front();
    return answer;
}

std::optional<std::string> CScriptedFileDialogs::ChooseFolder(const std::string& title,
                                                              const std::string& /*start*/) {
    return Next(title);
}

std::vector<std::string> CScriptedFileDialogs::OpenFiles(const std::string& title,
                                                         const std::string& /*filters*/,
                                                         bool /*multiple*/) {
    // Several files are given as one answer, one path per line.
    std::optional<std::string> answer = Next(title);
    std::vector<std::string> paths;
    std::istringstream lines(answer.value_or(""));
    for (std::string path; std::getline(lines, path);) {
        paths.push_back(path);
    }
    return paths;
}

std::optional<std::string> CScriptedFileDialogs::SaveFile(const std::string& title,
                                                          const std::string& /*defaultName*/,
                                                          const std::string& /*filters*/) {
    return Next(title);
}

void CFrameFixture::SetUp() {
    setenv("HOME", m_home.Path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", (m_home.Path() / ".config").c_str(), 1);
    RegisterHelpBook();
}

void CFrameFixture::TearDown() {
    if (m_frame != nullptr) {
        CloseFrame();
    }
}

CMainFrame& CFrameFixture::OpenFrame() {
    m_config = CreateUserConfig();
    m_store = std::make_unique<CWxSettingsStore>(*m_config);
    m_frame = new CMainFrame(*m_store, wxStandardPaths::Get().GetDocumentsDir().utf8_string());
    m_frame->SetFileDialogs(m_dialogs);
    m_frame->ShowAtStartup();
    Idle();
    return *m_frame;
}

void CFrameFixture::CloseFrame() {
    m_frame->Close(true);
    m_frame = nullptr;
    // Destroy() only schedules the deletion; the views save their settings when it runs.
    Idle();
    m_store.reset();
    m_config->Flush();
    m_config.reset();
}

CMainFrame& CFrameFixture::Restart() {
    CloseFrame();
    return OpenFrame();
}

void CFrameFixture::Idle() {
    for (int round = 0; round < 3; ++round) {
        wxTheApp->ProcessPendingEvents();
        wxYield();
        wxTheApp->ProcessIdle();
    }
}

bool CFrameFixture::IdleUntil(const std::function<bool()>& done, double seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    Idle();
    while (!done() && std::chrono::steady_clock::now() < deadline) {
        wxMilliSleep(10);
        Idle();
    }
    return done();
}

bool CFrameFixture::Command(int id) {
    m_frame->UpdateWindowUI(wxUPDATE_UI_RECURSE);
    const bool done = m_frame->ProcessCommand(WxCommandId(id));
    Idle();
    return done;
}

bool CFrameFixture::MenuEnabled(int id) {
    m_frame->UpdateWindowUI(wxUPDATE_UI_RECURSE);
    return m_frame->GetMenuBar()->IsEnabled(WxCommandId(id));
}

bool CFrameFixture::MenuChecked(int id) {
    m_frame->UpdateWindowUI(wxUPDATE_UI_RECURSE);
    return m_frame->GetMenuBar()->IsChecked(WxCommandId(id));
}

wxAuiToolBar* CFrameFixture::FindToolBar(int id) {
    Idle();
    const wxAuiPaneInfoArray& panes = m_frame->GetAuiManager().GetAllPanes();
    for (std::size_t index = 0; index < panes.GetCount(); ++index) {
        auto* toolBar = dynamic_cast<wxAuiToolBar*>(panes.Item(index).window);
        if (toolBar != nullptr && toolBar->FindTool(WxCommandId(id)) != nullptr) {
            return toolBar;
        }
    }
    ADD_FAILURE() << "no toolbar button " << id;
    return nullptr;
}

bool CFrameFixture::ToolPressed(int id) {
    const wxAuiToolBar* bar = FindToolBar(id);
    return bar != nullptr && bar->GetToolToggled(WxCommandId(id));
}

bool CFrameFixture::ToolEnabled(int id) {
    const wxAuiToolBar* bar = FindToolBar(id);
    return bar != nullptr && bar->GetToolEnabled(WxCommandId(id));
}

std::string CFrameFixture::ConfigFilePath() const {
    return (m_home.Path() / ".config" / "KiroConv.conf").string();
}

std::string CFrameFixture::ConfigFileText() const {
    return ReadFileBytes(ConfigFilePath());
}

void CFrameFixture::WriteConfigFile(const std::string& text) const {
    std::filesystem::create_directories(m_home.Path() / ".config");
    WriteFileBytes(ConfigFilePath(), text);
}

bool WindowManagerRunning() {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return false;
    }
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
    bool running = false;
    if (check != None) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0;
        unsigned long remaining = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, XA_WINDOW,
                               &type, &format, &count, &remaining, &data) == Success) {
            running = count == 1;
        }
        if (data != nullptr) {
            XFree(data);
        }
    }
    XCloseDisplay(display);
    return running;
}

}  // namespace kiro::test

namespace kiro::test {

bool WaitForWindowManager(double seconds) {
    const wxLongLong deadline = wxGetLocalTimeMillis() + static_cast<long>(seconds * 1000);
    while (!WindowManagerRunning()) {
        if (wxGetLocalTimeMillis() > deadline) {
            return false;
        }
        wxMilliSleep(20);
    }
    return true;
}

}  // namespace kiro::test
