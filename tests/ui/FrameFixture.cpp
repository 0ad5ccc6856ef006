#include "FrameFixture.h"

#include <wx/app.h>
#include <wx/aui/auibar.h>
#include <wx/choice.h>
#include <wx/stdpaths.h>
#include <wx/utils.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "ui/ResourceFiles.h"
#include "ui/transfer/TargetBar.h"

namespace kiro::test {

std::vector<std::string> CScriptedFileDialogs::OpenFiles(const std::string& title,
                                                         const std::string&, bool) {
    if (answers.empty()) {
        ADD_FAILURE() << "unexpected file dialog \"" << title << '"';
        return {};
    }
    std::vector<std::string> paths = std::move(answers.front());
    answers.pop_front();
    return paths;
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
    EXPECT_TRUE(m_dialogs.answers.empty()) << "a file dialog expected but not shown";
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

bool CFrameFixture::ToolPressed(int id) {
    Idle();
    const wxAuiPaneInfoArray& panes = m_frame->GetAuiManager().GetAllPanes();
    for (std::size_t index = 0; index < panes.GetCount(); ++index) {
        const auto* bar = dynamic_cast<wxAuiToolBar*>(panes.Item(index).window);
        if (bar != nullptr && bar->FindTool(WxCommandId(id)) != nullptr) {
            return bar->GetToolToggled(WxCommandId(id));
        }
    }
    ADD_FAILURE() << "no toolbar button " << id;
    return false;
}

void CFrameFixture::ChooseAction(int index) {
    wxChoice* actions = m_frame->GetTargetBar()->GetActionList();
    actions->SetSelection(index);
    wxCommandEvent picked(wxEVT_CHOICE, actions->GetId());
    picked.SetEventObject(actions);
    picked.SetInt(index);
    actions->ProcessWindowEvent(picked);
}

std::vector<std::string> CFrameFixture::Labels() {
    std::vector<std::string> labels;
    for (int item = 0; item < List().GetItemCount(); ++item) {
        labels.push_back(List().GetItemText(item).utf8_string());
    }
    return labels;
}

bool CFrameFixture::Listed(const std::string& label) {
    const std::vector<std::string> labels = Labels();
    return std::find(labels.begin(), labels.end(), label) != labels.end();
}

void CFrameFixture::WriteConfigFile(const std::string& text) const {
    std::filesystem::create_directories(m_home.Path() / ".config");
    WriteFileBytes(ConfigFilePath(), text);
}

bool WaitForWindowManager(double seconds) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return false;
    }
    // A window manager names its check window on the root; the atom exists once one ran.
    const auto running = [display] {
        const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
        Atom type = None;
        int format = 0;
        unsigned long count = 0;
        unsigned long remaining = 0;
        unsigned char* data = nullptr;
        const bool found =
            check != None &&
            XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, XA_WINDOW,
                               &type, &format, &count, &remaining, &data) == Success &&
            count == 1;
        XFree(data);
        return found;
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!running() && std::chrono::steady_clock::now() < deadline) {
        wxMilliSleep(20);
    }
    const bool found = running();
    XCloseDisplay(display);
    return found;
}

}  // namespace kiro::test
