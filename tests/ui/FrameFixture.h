#pragma once

#include <gtest/gtest.h>
#include <wx/config.h>
#include <wx/menu.h>
#include <wx/statusbr.h>
#include <wx/treebase.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "commands/CommandIds.h"
#include "seams/FileDialogs.h"
#include "support/TempDir.h"
#include "ui/KiroConvView.h"
#include "ui/MainFrame.h"
#include "ui/WxSettingsStore.h"

namespace kiro::test {

// File dialogs answered from a queue, each answer the paths chosen (none for Cancel); a
// dialog nobody expected fails the test.
class CScriptedFileDialogs final : public IFileDialogs {
public:
    std::optional<std::string> ChooseFolder(const std::string& title, const std::string&) override {
        const std::vector<std::string> paths = OpenFiles(title, "", false);
        return paths.empty() ? std::nullopt : std::optional(paths.front());
    }
    std::vector<std::string> OpenFiles(const std::string& title, const std::string&, bool) override;
    std::optional<std::string> SaveFile(const std::string& title, const std::string&,
                                        const std::string&) override {
        return ChooseFolder(title, "");
    }

    std::deque<std::vector<std::string>> answers;
};

// A main window as the program makes it, with settings of its own that start empty and
// can be read after each close: a settings file under a temporary HOME on Linux, a
// registry key of the test's own on Windows. Its documents folder, the target folder of
// a first run, is a temporary folder too.
class CFrameFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Opens the window as the program starts it (settings read, window shown).
    CMainFrame& OpenFrame();
    // Closes it as the user does, lets the toolkit destroy it and writes the settings file.
    void CloseFrame();
    // Close and open again: the next run of the program.
    CMainFrame& Restart() {
        CloseFrame();
        return OpenFrame();
    }

    // Lets the toolkit run its pending events, idle updates included.
    static void Idle();
    // Runs events until `done` holds or `seconds` have passed: simulated keys and the
    // window manager's moves arrive later on a busy machine. Returns `done()`.
    static bool IdleUntil(const std::function<bool()>& done, double seconds = 5);
    // Sends a menu command as the menu would (ignored when the item is disabled).
    bool Command(int id);
    // Menu state after the update handlers ran; a toolbar button's after idle updates.
    bool MenuEnabled(int id) {
        m_frame->UpdateWindowUI(wxUPDATE_UI_RECURSE);
        return m_frame->GetMenuBar()->IsEnabled(WxCommandId(id));
    }
    bool MenuChecked(int id) {
        m_frame->UpdateWindowUI(wxUPDATE_UI_RECURSE);
        return m_frame->GetMenuBar()->IsChecked(WxCommandId(id));
    }
    bool ToolPressed(int id);
    // Picks an action as the user does in the target bar's drop-down list.
    void ChooseAction(int index);

    CKiroConvView& List() { return *m_frame->GetListView(); }
    std::vector<std::string> Labels();
    bool Listed(const std::string& label);
    std::string StatusText() { return m_frame->GetStatusBar()->GetStatusText(0).utf8_string(); }

    // Stores settings given as the settings file's text ("[Section]" lines, "Name=value"
    // lines) before the window opens; on Windows a value that is a number is stored as one.
    void WriteSettings(const std::string& text) const;
    // Every stored value as text, by "Section/Name".
    std::map<std::string, std::string> StoredSettings() const;
    std::string Stored(const std::string& sectionAndName) const {
        const auto settings = StoredSettings();
        const auto found = settings.find(sectionAndName);
        return found == settings.end() ? "" : found->second;
    }

    CTempDir m_home;
    CScriptedFileDialogs m_dialogs;
    CMainFrame* m_frame = nullptr;

private:
    std::unique_ptr<wxConfigBase> OpenSettings() const;

    std::unique_ptr<wxConfigBase> m_config;
    std::unique_ptr<CWxSettingsStore> m_store;
#ifdef _WIN32
    std::string m_registryKey;
#endif
};

// A settings file's text as values by "Section/Name".
std::map<std::string, std::string> ParseSettingsText(const std::string& text);

// The handheld's item of the folder tree (the tree's own root is hidden).
wxTreeItemId DeviceItem(CMainFrame& frame);
// Selects a handheld folder as a click would; "A/B" is folder B inside A. False when
// there is no such folder.
bool SelectDeviceFolder(CMainFrame& frame, const std::string& path);
// Selects exactly the files of the list whose labels are among `names`.
void SelectListedFiles(CMainFrame& frame, const std::vector<std::string>& names);

// Waits up to `seconds` for a window manager (placement needs one) that may be starting.
bool WaitForWindowManager(double seconds);
// Waits up to `seconds` for the window manager to take on a window of process `pid`.
bool WaitForWindowOf(int pid, double seconds);
#ifdef _WIN32
// The titles of the visible top-level windows of a process, and closing them as the user
// does.
std::vector<std::string> VisibleWindowTitlesOf(int pid);
void CloseWindowsOf(int pid);
#endif

}  // namespace kiro::test
