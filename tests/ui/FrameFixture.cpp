#include "FrameFixture.h"

#include <wx/app.h>
#include <wx/aui/auibar.h>
#include <wx/choice.h>
#include <wx/stdpaths.h>
#include <wx/utils.h>
#ifdef _WIN32
#include <wx/msw/registry.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "platform/FileCalls.h"
#include "ui/LeftView.h"
#include "ui/ResourceFiles.h"
#include "ui/transfer/TargetBar.h"

namespace kiro::test {

#ifdef _WIN32
namespace {

// Each test's settings are a key below this one of HKEY_CURRENT_USER\Software.
constexpr const char* kTestKeys = "KiroConv tests";

}  // namespace
#endif

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
#ifdef _WIN32
    m_registryKey = std::string(kTestKeys) + "\\" + m_home.Path().filename().string();
#else
    setenv("HOME", m_home.Path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", (m_home.Path() / ".config").c_str(), 1);
#endif
    RegisterHelpBook();
}

void CFrameFixture::TearDown() {
    if (m_frame != nullptr) {
        CloseFrame();
    }
#ifdef _WIN32
    wxRegKey(wxRegKey::HKCU, "Software\\" + wxString::FromUTF8(m_registryKey)).DeleteSelf();
    wxRegKey tests(wxRegKey::HKCU, wxString("Software\\") + kTestKeys);
    if (tests.Exists() && !tests.HasSubkeys() && !tests.HasValues()) {
        tests.DeleteSelf();
    }
#endif
    EXPECT_TRUE(m_dialogs.answers.empty()) << "a file dialog expected but not shown";
}

std::unique_ptr<wxConfigBase> CFrameFixture::OpenSettings() const {
#ifdef _WIN32
    return CreateRegistryConfig(m_registryKey);
#else
    return CreateUserConfig();
#endif
}

CMainFrame& CFrameFixture::OpenFrame() {
    m_config = OpenSettings();
    m_store = std::make_unique<CWxSettingsStore>(*m_config);
    m_frame = new CMainFrame(*m_store, Utf8FromPath(m_home.Path()));
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

std::map<std::string, std::string> ParseSettingsText(const std::string& text) {
    std::map<std::string, std::string> values;
    std::string section;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        const std::size_t equals = line.find('=');
        if (line.starts_with('[') && line.ends_with(']')) {
            section = line.substr(1, line.size() - 2);
        } else if (equals != std::string::npos) {
            values[section + "/" + line.substr(0, equals)] = line.substr(equals + 1);
        }
    }
    return values;
}

void CFrameFixture::WriteSettings(const std::string& text) const {
#ifdef _WIN32
    const std::unique_ptr<wxConfigBase> settings = OpenSettings();
    for (const auto& [path, value] : ParseSettingsText(text)) {
        long number = 0;
        const wxString entry = "/" + wxString::FromUTF8(path);
        if (wxString::FromUTF8(value).ToLong(&number)) {
            settings->Write(entry, number);
        } else {
            settings->Write(entry, wxString::FromUTF8(value));
        }
    }
    settings->Flush();
#else
    std::filesystem::create_directories(m_home.Path() / ".config");
    WriteFileBytes(m_home.Path() / ".config/KiroConv.conf", text);
#endif
}

std::map<std::string, std::string> CFrameFixture::StoredSettings() const {
    const std::unique_ptr<wxConfigBase> settings = OpenSettings();
    std::map<std::string, std::string> values;
    wxString section;
    long sectionCookie = 0;
    for (bool more = settings->GetFirstGroup(section, sectionCookie); more;
         more = settings->GetNextGroup(section, sectionCookie)) {
        settings->SetPath("/" + section);
        wxString name;
        long cookie = 0;
        for (bool entry = settings->GetFirstEntry(name, cookie); entry;
             entry = settings->GetNextEntry(name, cookie)) {
            wxString value;
            if (settings->GetEntryType(name) == wxConfigBase::Type_Integer) {
                value << settings->ReadLong(name, 0);
            } else {
                settings->Read(name, &value);
            }
            values[(section + "/" + name).utf8_string()] = value.utf8_string();
        }
        settings->SetPath("/");
    }
    return values;
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

}  // namespace kiro::test
