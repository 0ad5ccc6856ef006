#pragma once

#include <gtest/gtest.h>
#include <wx/fileconf.h>
#include <wx/menu.h>
#include <wx/statusbr.h>
#include <wx/treebase.h>

#include <deque>
#include <functional>
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

// A main window as the program makes it, with its own temporary HOME, so that its
// settings file starts empty and can be read after each close.
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

    std::string ConfigFilePath() const { return m_home / ".config/KiroConv.conf"; }
    std::string ConfigFileText() const { return ReadFileBytes(ConfigFilePath()); }
    // Writes a settings file before the window opens.
    void WriteConfigFile(const std::string& text) const;

    CTempDir m_home;
    CScriptedFileDialogs m_dialogs;
    CMainFrame* m_frame = nullptr;

private:
    std::unique_ptr<wxFileConfig> m_config;
    std::unique_ptr<CWxSettingsStore> m_store;
};

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

}  // namespace kiro::test
