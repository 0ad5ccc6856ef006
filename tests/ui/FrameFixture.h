#pragma once

#include <gtest/gtest.h>
#include <wx/fileconf.h>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/FileDialogs.h"
#include "support/TempDir.h"
#include "ui/MainFrame.h"
#include "ui/WxSettingsStore.h"

namespace kiro::test {

// Folder and file dialogs answered from a queue; a dialog nobody expected fails the test.
class CScriptedFileDialogs final : public IFileDialogs {
public:
    std::optional<std::string> ChooseFolder(const std::string& title,
                                            const std::string& startFolder) override;
    std::vector<std::string> OpenFiles(const std::string& title, const std::string& filters,
                                       bool multiple) override;
    std::optional<std::string> SaveFile(const std::string& title, const std::string& defaultName,
                                        const std::string& filters) override;

    // Each answer is a path, or nothing for Cancel.
    std::deque<std::optional<std::string>> answers;
    std::vector<std::string> titles;

private:
    std::optional<std::string> Next(const std::string& title);
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
    CMainFrame& Restart();

    // Lets the toolkit run its pending events, idle updates included.
    static void Idle();
    // Runs events until `done` holds or `seconds` have passed: simulated keys arrive
    // when the display sends them, later on a busy machine. Returns `done()`.
    static bool IdleUntil(const std::function<bool()>& done, double seconds = 5);
    // Sends a menu command as the menu would (ignored when the item is disabled). Ids
    // are those of CommandIds.h.
    bool Command(int id);
    // Menu state after the update handlers ran.
    bool MenuEnabled(int id);
    bool MenuChecked(int id);
    // The pressed state and enabled state of a toolbar button after idle updates.
    bool ToolPressed(int id);
    bool ToolEnabled(int id);

    std::string ConfigFileText() const;
    // Writes a settings file before the window opens.
    void WriteConfigFile(const std::string& text) const;
    std::string ConfigFilePath() const;

    CTempDir m_home;
    CScriptedFileDialogs m_dialogs;
    CMainFrame* m_frame = nullptr;

private:
    wxAuiToolBar* FindToolBar(int id);

    std::unique_ptr<wxFileConfig> m_config;
    std::unique_ptr<CWxSettingsStore> m_store;
};

// True when a window manager runs on the display (placement tests need one).
bool WindowManagerRunning();
// Waits up to `seconds` for a window manager that is still starting.
bool WaitForWindowManager(double seconds);

}  // namespace kiro::test
