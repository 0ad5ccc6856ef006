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

#include "ui/LeftView.h"
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

wxTreeItemId DeviceItem(CMainFrame& frame) {
    const CLeftView& tree = *frame.GetTreeView();
    wxTreeItemIdValue cookie;
    return tree.GetFirstChild(tree.GetRootItem(), cookie);
}

bool SelectDeviceFolder(CMainFrame& frame, const std::string& path) {
    CLeftView& tree = *frame.GetTreeView();
    wxTreeItemId item = DeviceItem(frame);
    for (std::size_t from = 0; from <= path.size() && item.IsOk();) {
        const std::size_t slash = std::min(path.find('/', from), path.size());
        const wxString name = wxString::FromUTF8(path.substr(from, slash - from));
        wxTreeItemIdValue cookie;
        wxTreeItemId child = tree.GetFirstChild(item, cookie);
        while (child.IsOk() && tree.GetItemText(child) != name) {
            child = tree.GetNextChild(item, cookie);
        }
        item = child;
        from = slash + 1;
    }
    if (item.IsOk()) {
        tree.SelectItem(item);
    }
    return item.IsOk();
}

void SelectListedFiles(CMainFrame& frame, const std::vector<std::string>& names) {
    CKiroConvView& list = *frame.GetListView();
    for (long item = 0; item < list.GetItemCount(); ++item) {
        const std::string label = list.GetItemText(item).utf8_string();
        const bool wanted = std::find(names.begin(), names.end(), label) != names.end();
        list.SetItemState(item, wanted ? wxLIST_STATE_SELECTED : 0, wxLIST_STATE_SELECTED);
    }
}

namespace {

// The values of a window property of 32-bit items (windows, cardinals); none if unset.
std::vector<unsigned long> WindowProperty(Display* display, Window window, const char* name,
                                          Atom itemType) {
    const Atom property = XInternAtom(display, name, True);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> values;
    if (property != None &&
        XGetWindowProperty(display, window, property, 0, 4096, False, itemType, &type, &format,
                           &count, &remaining, &data) == Success &&
        format == 32) {
        const auto* items = reinterpret_cast<const unsigned long*>(data);
        values.assign(items, items + count);
    }
    XFree(data);
    return values;
}

bool WaitOnDisplayFor(double seconds, const std::function<bool(Display*)>& done) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done(display) && std::chrono::steady_clock::now() < deadline) {
        wxMilliSleep(20);
    }
    const bool found = done(display);
    XCloseDisplay(display);
    return found;
}

}  // namespace

bool WaitForWindowManager(double seconds) {
    // A window manager names its check window on the root.
    return WaitOnDisplayFor(seconds, [](Display* display) {
        return WindowProperty(display, DefaultRootWindow(display), "_NET_SUPPORTING_WM_CHECK",
                              XA_WINDOW)
                   .size() == 1;
    });
}

bool WaitForWindowOf(int pid, double seconds) {
    return WaitOnDisplayFor(seconds, [pid](Display* display) {
        for (const unsigned long window :
             WindowProperty(display, DefaultRootWindow(display), "_NET_CLIENT_LIST", XA_WINDOW)) {
            const std::vector<unsigned long> owner =
                WindowProperty(display, window, "_NET_WM_PID", XA_CARDINAL);
            if (owner.size() == 1 && owner[0] == static_cast<unsigned long>(pid)) {
                return true;
            }
        }
        return false;
    });
}

}  // namespace kiro::test
