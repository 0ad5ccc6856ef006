// The main window driven as a user drives it: commands through the menu path, keys and
// pointer through the toolkit's simulator, then the controls and the settings file.
#include <wx/aui/auibar.h>
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/menu.h>
#include <wx/splitter.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include <filesystem>

#include "FrameFixture.h"
#include "transfer/TargetBar.h"
#include "ui/CommandIds.h"
#include "ui/KiroConvView.h"
#include "ui/LeftView.h"

namespace kiro::test {
namespace {

class MainFrameTest : public CFrameFixture {
protected:
    std::string StatusText() { return m_frame->GetStatusBar()->GetStatusText(0).utf8_string(); }
    CKiroConvView& List() { return *m_frame->GetListView(); }
    CTargetBar& Bar() { return *m_frame->GetTargetBar(); }

    void AddFiles(std::initializer_list<const char*> names) {
        for (const char* name : names) {
            const int item = List().InsertItem(name, 5);
            List().SetItemText(item, 1, std::string("kind of ") + name);
            List().SetItemText(item, 2, "1024 bytes");
        }
        // The list shows what it was given once the events of the moment are handled.
        Idle();
    }
    std::vector<std::string> Labels() {
        std::vector<std::string> labels;
        for (int item = 0; item < List().GetItemCount(); ++item) {
            labels.push_back(List().wxListCtrl::GetItemText(item).utf8_string());
        }
        return labels;
    }
    // Picks an action as the user does in the drop-down list.
    void ChooseAction(int index) {
        wxChoice* actions = Bar().GetActionList();
        actions->SetSelection(index);
        wxCommandEvent picked(wxEVT_CHOICE, actions->GetId());
        picked.SetEventObject(actions);
        picked.SetInt(index);
        picked.SetString(actions->GetString(static_cast<unsigned>(index)));
        actions->ProcessWindowEvent(picked);
    }
};

TEST_F(MainFrameTest, FirstRunLooksAsDesignedAndStoresTheDefaults) {
    CMainFrame& frame = OpenFrame();
    EXPECT_EQ(frame.GetTitle(), "KIROSCAN Conversion Utility - Not Connected");
    EXPECT_EQ(StatusText(), "For Help, press F1");
    EXPECT_EQ(frame.GetStatusBar()->GetFieldsCount(), 4);

    // The tree: one disconnected device item.
    CLeftView& tree = *frame.GetTreeView();
    ASSERT_EQ(tree.GetChildrenCount(tree.GetRootItem(), true), 1u);
    wxTreeItemIdValue cookie;
    const wxTreeItemId device = tree.GetFirstChild(tree.GetRootItem(), cookie);
    EXPECT_EQ(tree.GetItemText(device), "Kiro-SCAN");
    EXPECT_EQ(tree.GetItemImage(device), 3);

    // The panes, the pictures and the list in its first style. Default widths grow with
    // the font, so that a full date or size is not cut off.
    EXPECT_GE(frame.GetSplitter()->GetSashPosition(), 150);
    EXPECT_GE(frame.GetSplitter()->GetMinimumPaneSize(), 50);
    EXPECT_EQ(frame.GetSmallImageList().GetImageCount(), 23);
    EXPECT_EQ(frame.GetLargeImageList().GetImageCount(), 23);
    EXPECT_EQ(frame.GetLargeImageList().GetSize(), wxSize(32, 32));
    EXPECT_EQ(List().GetStyleType(), 0);
    ASSERT_TRUE(Command(kIdListDetails));
    ASSERT_EQ(List().GetColumnCount(), 4);
    const char* headings[] = {"Filename", "File Type", "Size", "Modified"};
    const char* longest[] = {"morning.experiment_ks", "Kiro-SCAN Experiment", "145408 bytes",
                             "12/31/2025  12:59:59 PM"};
    for (int column = 0; column < 4; ++column) {
        wxListItem heading;
        heading.SetMask(wxLIST_MASK_TEXT);
        List().GetColumn(column, heading);
        EXPECT_EQ(heading.GetText(), headings[column]);
        EXPECT_GT(List().GetColumnWidth(column), List().GetTextExtent(longest[column]).x)
            << headings[column];
    }
    ASSERT_TRUE(Command(kIdListLargeIcons));

    // The target bar shows the documents folder and the first action.
    EXPECT_EQ(Bar().GetTargetEdit()->GetValue(), wxString::FromUTF8(m_home.Path().string()));
    EXPECT_EQ(Bar().GetActionList()->GetStringSelection(), "Copy Only");

    // One top row, left to right: device toolbar, target bar, view toolbar.
    wxAuiManager& aui = frame.GetAuiManager();
    const wxAuiPaneInfo& device_bar = aui.GetPane("DeviceBar");
    const wxAuiPaneInfo& target_bar = aui.GetPane("TargetBar");
    const wxAuiPaneInfo& view_bar = aui.GetPane("ViewBar");
    EXPECT_TRUE(device_bar.IsDocked() && target_bar.IsDocked() && view_bar.IsDocked());
    EXPECT_EQ(device_bar.dock_direction, wxAUI_DOCK_TOP);
    EXPECT_EQ(target_bar.dock_direction, wxAUI_DOCK_TOP);
    EXPECT_EQ(view_bar.dock_direction, wxAUI_DOCK_TOP);
    EXPECT_EQ(device_bar.dock_row, target_bar.dock_row);
    EXPECT_EQ(target_bar.dock_row, view_bar.dock_row);
    EXPECT_LT(device_bar.window->GetPosition().x, target_bar.window->GetPosition().x);
    EXPECT_LT(target_bar.window->GetPosition().x, view_bar.window->GetPosition().x);
    EXPECT_FALSE(target_bar.IsLeftDockable() || target_bar.IsRightDockable());
    EXPECT_TRUE(device_bar.IsLeftDockable() && view_bar.IsRightDockable());

    const int sash = frame.GetSplitter()->GetSashPosition();
    const int minimum = frame.GetSplitter()->GetMinimumPaneSize();
    CloseFrame();
    const std::string stored = ConfigFileText();
    for (const std::string& line : std::vector<std::string>{
             "[Settings]", "TargetDirectory=" + m_home.Path().string(), "DefaultAction=0",
             "LogEvents=0", "LogFileName=LogFile.log", "OutputFormat=0", "OverwritePrompt=1",

             "SplitterPos=" + std::to_string(sash), "SplitterMin=" + std::to_string(minimum),
             "ListType=0", "[MainWindowSize]", "WindowPos=0,1,"}) {
        EXPECT_NE(stored.find(line), std::string::npos) << line << " missing in\n" << stored;
    }
    // Widths are kept only from the Details and List styles.
    EXPECT_EQ(stored.find("FilenameWidth"), std::string::npos);
}

TEST_F(MainFrameTest, EverySettingComesBackAsStored) {
    const std::string logFile = (m_home.Path() / "activity.log").string();
    const std::string stored =
        "[Settings]\n"
        "TargetDirectory=$HOME/out dir\n"
        "DefaultAction=3\n"
        "LogEvents=2\n"
        "LogFileName=" +
        logFile +
        "\n"
        "OutputFormat=2\n"
        "OverwritePrompt=0\n"
        "SplitterPos=230\n"
        "SplitterMin=40\n"
        "ListType=3\n"
        "FilenameWidth=210\n"
        "TypeWidth=111\n"
        "SizeWidth=99\n"
        "ModifiedWidth=177\n"
        "[MainWindowSize]\n"
        "WindowPos=0,1,-1,-1,-1,-1,20,30,820,630\n";
    WriteConfigFile(stored);
    CMainFrame& frame = OpenFrame();
    EXPECT_EQ(Bar().GetTargetEdit()->GetValue(), "$HOME/out dir");
    EXPECT_EQ(Bar().GetActionList()->GetStringSelection(), "Move and Convert");
    EXPECT_TRUE(MenuChecked(kIdFormatKiroBench));
    EXPECT_FALSE(MenuChecked(kIdOverwritePrompt));
    // Logging is on only for exactly 1; no log file is touched otherwise.
    EXPECT_FALSE(MenuChecked(kIdLogEnabled));
    EXPECT_FALSE(std::filesystem::exists(logFile));
    EXPECT_EQ(frame.GetSplitter()->GetSashPosition(), 230);
    EXPECT_EQ(frame.GetSplitter()->GetMinimumPaneSize(), 40);
    EXPECT_EQ(List().GetStyleType(), 3);
    EXPECT_TRUE(MenuChecked(kIdListList));
    EXPECT_TRUE(ToolPressed(kIdListList));
    ASSERT_TRUE(Command(kIdListDetails));
    EXPECT_EQ(List().GetColumnWidth(0), 210);
    EXPECT_EQ(List().GetColumnWidth(3), 177);
    ASSERT_TRUE(Command(kIdListList));

    // Closed untouched, the file holds what it held (the placement aside, which a window
    // manager may have had its say in).
    CloseFrame();
    const std::string rewritten = ConfigFileText();
    EXPECT_EQ(rewritten.substr(0, rewritten.find("[MainWindowSize]")),
              stored.substr(0, stored.find("[MainWindowSize]")));

    // Logging on: the log is opened (created with its header) at start-up.
    WriteConfigFile("[Settings]\nLogEvents=1\nLogFileName=" + logFile + "\n");
    OpenFrame();
    EXPECT_TRUE(MenuChecked(kIdLogEnabled));
    EXPECT_TRUE(ToolPressed(kIdLogEnabled));
    EXPECT_TRUE(m_frame->GetActivityLog().IsOpen());
    EXPECT_EQ(
        ReadFileBytes(logFile).rfind("Corvane Tech Kiro-SCAN File Conversion Utility Log File", 0),
        0u);
}

TEST_F(MainFrameTest, CommandRulesWhileNotConnected) {
    CMainFrame& frame = OpenFrame();
    AddFiles({"one.scope_ks", "two.scope_ks"});
    List().SetItemState(0, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);

    for (const int id : {kIdCreateDirectory, kIdDeleteFiles, kIdRefresh, kIdGo}) {
        EXPECT_FALSE(MenuEnabled(id)) << id;
    }
    for (const int id : {kIdCreateDirectory, kIdDeleteFiles, kIdRefresh}) {
        EXPECT_FALSE(ToolEnabled(id)) << id;
    }
    EXPECT_FALSE(Bar().GetGoButton()->IsEnabled());
    EXPECT_TRUE(MenuEnabled(kIdConnect));
    EXPECT_FALSE(MenuChecked(kIdConnect));
    EXPECT_FALSE(ToolPressed(kIdConnect));
    EXPECT_FALSE(MenuChecked(kIdLogEnabled));
    EXPECT_FALSE(ToolPressed(kIdLogEnabled));

    // The format's check mark moves with the choice; the overwrite prompt toggles.
    EXPECT_TRUE(MenuChecked(kIdFormatTab));
    ASSERT_TRUE(Command(kIdFormatComma));
    EXPECT_EQ(frame.GetOutputFormat(), 1);
    EXPECT_TRUE(MenuChecked(kIdFormatComma));
    EXPECT_FALSE(MenuChecked(kIdFormatTab) || MenuChecked(kIdFormatKiroBench) ||
                 MenuChecked(kIdFormatSpc));
    ASSERT_TRUE(Command(kIdOverwritePrompt));
    EXPECT_FALSE(MenuChecked(kIdOverwritePrompt));
    ASSERT_TRUE(Command(kIdOverwritePrompt));
    EXPECT_TRUE(MenuChecked(kIdOverwritePrompt));

    // A style picked on the toolbar: radio mark in the menu, that button pressed.
    ASSERT_TRUE(Command(kIdListDetails));
    EXPECT_TRUE(MenuChecked(kIdListDetails));
    EXPECT_FALSE(MenuChecked(kIdListLargeIcons));
    EXPECT_TRUE(ToolPressed(kIdListDetails));
    EXPECT_FALSE(ToolPressed(kIdListLargeIcons) || ToolPressed(kIdListSmallIcons) ||
                 ToolPressed(kIdListList));

    // The status bar hides and comes back.
    EXPECT_TRUE(MenuChecked(kIdStatusBar));
    ASSERT_TRUE(Command(kIdStatusBar));
    EXPECT_FALSE(frame.GetStatusBar()->IsShown());
    EXPECT_FALSE(MenuChecked(kIdStatusBar));
    ASSERT_TRUE(Command(kIdStatusBar));
    EXPECT_TRUE(frame.GetStatusBar()->IsShown());

    // Selecting the device item before connecting only flickers the status text.
    CLeftView& tree = *frame.GetTreeView();
    wxTreeItemIdValue cookie;
    tree.wxTreeCtrl::SelectItem(tree.GetFirstChild(tree.GetRootItem(), cookie));
    Idle();
    EXPECT_EQ(frame.GetTitle(), "KIROSCAN Conversion Utility - Not Connected");
    EXPECT_EQ(List().GetItemCount(), 2);
    EXPECT_EQ(StatusText(), "For Help, press F1");

    // Menu prompts show in the status bar while an item is highlighted.
    wxMenuEvent highlight(wxEVT_MENU_HIGHLIGHT, WxCommandId(kIdFormatKiroBench));
    frame.ProcessWindowEvent(highlight);
    EXPECT_EQ(StatusText(), "Converts file to an KiroBench data file");

    // Both values survive a restart.
    Restart();
    EXPECT_EQ(m_frame->GetOutputFormat(), 1);
    EXPECT_EQ(m_frame->GetOverwritePrompt(), 1);
    EXPECT_TRUE(MenuChecked(kIdFormatComma));
}

TEST_F(MainFrameTest, ToolbarButtonsShowTheirPromptUnderThePointer) {
    CMainFrame& frame = OpenFrame();
    frame.Raise();
    Idle();
    wxAuiToolBar* bar =
        wxDynamicCast(frame.GetAuiManager().GetPane("DeviceBar").window, wxAuiToolBar);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->GetToolShortHelp(WxCommandId(kIdConnect)), "Connect");
    const auto onTool = [&] {
        const wxRect tool = bar->GetToolRect(WxCommandId(kIdRefresh));
        return bar->ClientToScreen(tool.GetPosition() + wxPoint(tool.width / 2, tool.height / 2));
    };
    const auto onTree = [&] {
        return frame.GetTreeView()->GetScreenRect().GetPosition() + wxPoint(40, 80);
    };
    // Points the pointer until the status text follows: the window manager may still be
    // moving the new window, and the pointer's events come when the display sends them.
    const auto pointAt = [this](const auto& where, const std::string& text) {
        wxUIActionSimulator pointer;
        for (int round = 0; round < 50 && StatusText() != text; ++round) {
            pointer.MouseMove(where());
            wxMilliSleep(40);
            Idle();
        }
        return StatusText();
    };
    EXPECT_EQ(pointAt(onTree, "For Help, press F1"), "For Help, press F1");
    EXPECT_EQ(pointAt(onTool, "Refresh Kiro-SCAN Directory Tree"),
              "Refresh Kiro-SCAN Directory Tree");
    EXPECT_EQ(pointAt(onTree, "For Help, press F1"), "For Help, press F1");
}

TEST_F(MainFrameTest, ListKeepsItsOrderTextsAndSelectionAcrossStyles) {
    OpenFrame();
    // Filled in Large Icons, where the toolkit's list keeps no sub-item texts.
    AddFiles({"b.txt", "A.txt", "c.TXT", "a2.bmp", "B.txt"});
    EXPECT_EQ(Labels(), (std::vector<std::string>{"A.txt", "a2.bmp", "b.txt", "B.txt", "c.TXT"}));
    List().SetItemState(1, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    List().SetItemState(4, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    EXPECT_EQ(List().GetItemText(4, 1), "kind of c.TXT");

    ASSERT_TRUE(Command(kIdListDetails));
    EXPECT_EQ(Labels(), (std::vector<std::string>{"A.txt", "a2.bmp", "b.txt", "B.txt", "c.TXT"}));
    EXPECT_EQ(List().wxListCtrl::GetItemText(4, 1), "kind of c.TXT");
    EXPECT_EQ(List().wxListCtrl::GetItemText(0, 2), "1024 bytes");
    EXPECT_EQ(List().GetSelectedCount(), 2);
    EXPECT_EQ(List().GetNextSelectedItem(-1), 1);
    EXPECT_EQ(List().GetNextSelectedItem(1), 4);
    EXPECT_EQ(List().GetNextSelectedItem(4), -1);

    // Added while in Details, then shown in List and back.
    AddFiles({"aa.log_ks"});
    ASSERT_TRUE(Command(kIdListList));
    ASSERT_TRUE(Command(kIdListDetails));
    EXPECT_EQ(List().wxListCtrl::GetItemText(2, 1), "kind of aa.log_ks");
    EXPECT_EQ(List().GetSelectedCount(), 2);
}

TEST_F(MainFrameTest, ListStyleAndColumnWidthsPersist) {
    OpenFrame();
    ASSERT_TRUE(Command(kIdListDetails));
    List().SetColumnWidth(0, 300);
    Restart();
    EXPECT_EQ(List().GetStyleType(), 1);
    EXPECT_EQ(List().GetColumnWidth(0), 300);
    EXPECT_NE(ConfigFileText().find("FilenameWidth=300"), std::string::npos);

    // In Small Icons the widths are not written back.
    ASSERT_TRUE(Command(kIdListSmallIcons));
    CloseFrame();
    const std::string stored = ConfigFileText();
    EXPECT_NE(stored.find("ListType=2"), std::string::npos);
    EXPECT_NE(stored.find("FilenameWidth=300"), std::string::npos);

    // A style out of range, as only editing the file can make it.
    WriteConfigFile("[Settings]\nListType=9\n");
    OpenFrame();
    EXPECT_EQ(List().GetStyleType(), 0);
    EXPECT_TRUE(MenuChecked(kIdListLargeIcons));
}

TEST_F(MainFrameTest, F6MovesBetweenThePanes) {
    CMainFrame& frame = OpenFrame();
    frame.Raise();
    frame.GetTreeView()->SetFocus();
    Idle();
    const auto focusIn = [](wxWindow* pane) {
        for (wxWindow* window = wxWindow::FindFocus(); window != nullptr;
             window = window->GetParent()) {
            if (window == pane) {
                return true;
            }
        }
        return false;
    };
    ASSERT_TRUE(focusIn(frame.GetTreeView()));
    wxUIActionSimulator keys;
    keys.Char(WXK_F6);
    EXPECT_TRUE(IdleUntil([&] { return focusIn(frame.GetListView()); }));
    keys.Char(WXK_F6);
    EXPECT_TRUE(IdleUntil([&] { return focusIn(frame.GetTreeView()); }));
    keys.Char(WXK_F6, wxMOD_SHIFT);
    EXPECT_TRUE(IdleUntil([&] { return focusIn(frame.GetListView()); }));
}

TEST_F(MainFrameTest, TargetBarFollowsTypingChoosingAndBrowsing) {
    CMainFrame& frame = OpenFrame();
    frame.Raise();
    IdleUntil([&] { return frame.IsActive(); });
    wxTextCtrl* edit = Bar().GetTargetEdit();
    edit->SetFocus();
    ASSERT_TRUE(IdleUntil([&] { return wxWindow::FindFocus() == edit; }));
    edit->SelectAll();
    Idle();
    wxUIActionSimulator keys;
    keys.Char(WXK_DELETE);
    IdleUntil([&] { return frame.GetSettings().targetDirectory.empty(); });
    EXPECT_EQ(frame.GetSettings().targetDirectory, "");
    std::string typed;
    for (const char c : std::string("/out")) {
        keys.Char(c);
        typed += c;
        IdleUntil([&] { return frame.GetSettings().targetDirectory == typed; });
        EXPECT_EQ(frame.GetSettings().targetDirectory, typed);
    }

    // Cancelled browsing changes nothing; a chosen folder shows with the action kept.
    ChooseAction(2);
    EXPECT_EQ(frame.GetSettings().defaultAction, 2);
    m_dialogs.answers = {std::nullopt, "/srv/spectra"};
    ASSERT_TRUE(Command(kIdBrowseTarget));
    EXPECT_EQ(edit->GetValue(), "/out");
    EXPECT_EQ(frame.GetSettings().targetDirectory, "/out");
    wxCommandEvent click(wxEVT_BUTTON, WxCommandId(kIdBrowseTarget));
    click.SetEventObject(Bar().GetBrowseButton());
    Bar().GetBrowseButton()->ProcessWindowEvent(click);
    Idle();
    EXPECT_EQ(m_dialogs.titles,
              (std::vector<std::string>{"Select an Output Folder", "Select an Output Folder"}));
    EXPECT_EQ(edit->GetValue(), "/srv/spectra");
    EXPECT_EQ(frame.GetSettings().targetDirectory, "/srv/spectra");
    EXPECT_EQ(Bar().GetActionList()->GetStringSelection(), "Move Only");
    EXPECT_EQ(frame.GetSettings().defaultAction, 2);

    // Typed and never used, the text is still what the next start shows.
    edit->SetFocus();
    edit->SetInsertionPointEnd();
    Idle();
    keys.Char('2');
    Idle();
    EXPECT_EQ(frame.GetSettings().targetDirectory, "/srv/spectra2");
    ChooseAction(4);
    Restart();
    EXPECT_EQ(Bar().GetTargetEdit()->GetValue(), "/srv/spectra2");
    EXPECT_EQ(Bar().GetActionList()->GetSelection(), 4);
    EXPECT_EQ(m_frame->GetSettings().defaultAction, 4);
}

}  // namespace
}  // namespace kiro::test
