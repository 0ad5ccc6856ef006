// The main window driven as a user drives it: commands through the menu path, keys and
// pointer through the toolkit's simulator, then the controls and the settings file.
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/splitter.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

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
        actions->ProcessWindowEvent(picked);
    }
};

TEST_F(MainFrameTest, FirstRunLooksAsDesignedAndStoresTheDefaults) {
    CMainFrame& frame = OpenFrame();
    EXPECT_EQ(frame.GetTitle(), "KIROSCAN Conversion Utility - Not Connected");
    EXPECT_EQ(StatusText(), "For Help, press F1");
    CLeftView& tree = *frame.GetTreeView();
    ASSERT_EQ(tree.GetChildrenCount(tree.GetRootItem(), true), 1u);

    // Default widths grow with the font, so that a full date or size is not cut off.
    ASSERT_TRUE(Command(kIdListDetails));
    const char* longest[] = {"morning.experiment_ks", "Kiro-SCAN Experiment", "145408 bytes",
                             "12/31/2025  12:59:59 PM"};
    for (int column = 0; column < 4; ++column) {
        EXPECT_GT(List().GetColumnWidth(column), List().GetTextExtent(longest[column]).x)
            << longest[column];
    }
    ASSERT_TRUE(Command(kIdListLargeIcons));
    EXPECT_EQ(Bar().GetTargetEdit()->GetValue(), wxString::FromUTF8(m_home.Path().string()));

    const int sash = frame.GetSplitter()->GetSashPosition();
    CloseFrame();
    const std::string stored = ConfigFileText();
    for (const std::string& line :
         {"TargetDirectory=" + m_home.Path().string(), "SplitterPos=" + std::to_string(sash),
          std::string("WindowPos=0,1,")}) {
        EXPECT_NE(stored.find(line), std::string::npos) << line << " missing in\n" << stored;
    }
    // Widths are kept only from the Details and List styles.
    EXPECT_EQ(stored.find("FilenameWidth"), std::string::npos);
}

TEST_F(MainFrameTest, EverySettingComesBackAsStored) {
    const std::string logFile = (m_home.Path() / "activity.log").string();
    const std::string stored =
        "[Settings]\nTargetDirectory=$HOME/out dir\nDefaultAction=3\n"
        "LogEvents=2\nLogFileName=" +
        logFile +
        "\nOutputFormat=2\nOverwritePrompt=0\nSplitterPos=230\n"
        "SplitterMin=40\nListType=3\nFilenameWidth=210\nTypeWidth=111\n"
        "SizeWidth=99\nModifiedWidth=177\n[MainWindowSize]\n"
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
    EXPECT_TRUE(MenuChecked(kIdListList));
    EXPECT_TRUE(ToolPressed(kIdListList));
    ASSERT_TRUE(Command(kIdListDetails));
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
    EXPECT_TRUE(ToolPressed(kIdLogEnabled));
    EXPECT_EQ(ReadFileBytes(logFile).rfind("Corvane Tech Kiro-SCAN File Conversion Utility", 0),
              0u);
}

TEST_F(MainFrameTest, CommandsWhileNotConnectedAndTheirChoicesSurviveARestart) {
    CMainFrame& frame = OpenFrame();
    AddFiles({"one.scope_ks", "two.scope_ks"});
    List().SetItemState(0, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);

    // Go needs a handheld, however many files the list shows selected.
    EXPECT_FALSE(MenuEnabled(kIdGo));
    EXPECT_FALSE(Bar().GetGoButton()->IsEnabled());
    EXPECT_FALSE(ToolEnabled(kIdDeleteFiles));

    // The format's check mark moves with the choice; the overwrite prompt toggles.
    ASSERT_TRUE(Command(kIdFormatComma));
    EXPECT_EQ(frame.GetOutputFormat(), 1);
    EXPECT_TRUE(MenuChecked(kIdFormatComma));
    EXPECT_FALSE(MenuChecked(kIdFormatTab));
    ASSERT_TRUE(Command(kIdOverwritePrompt));
    EXPECT_FALSE(MenuChecked(kIdOverwritePrompt));
    ASSERT_TRUE(Command(kIdOverwritePrompt));

    // A style picked on the toolbar: radio mark in the menu, only that button pressed.
    ASSERT_TRUE(Command(kIdListDetails));
    EXPECT_TRUE(MenuChecked(kIdListDetails));
    EXPECT_TRUE(ToolPressed(kIdListDetails));
    EXPECT_FALSE(ToolPressed(kIdListLargeIcons) || MenuChecked(kIdListLargeIcons));

    // Selecting the device item before connecting leaves the title and the list alone.
    CLeftView& tree = *frame.GetTreeView();
    wxTreeItemIdValue cookie;
    tree.wxTreeCtrl::SelectItem(tree.GetFirstChild(tree.GetRootItem(), cookie));
    Idle();
    EXPECT_EQ(frame.GetTitle(), "KIROSCAN Conversion Utility - Not Connected");
    EXPECT_EQ(List().GetItemCount(), 2);
    EXPECT_EQ(StatusText(), "For Help, press F1");

    Restart();
    EXPECT_EQ(m_frame->GetOutputFormat(), 1);
    EXPECT_EQ(m_frame->GetOverwritePrompt(), 1);
}

TEST_F(MainFrameTest, ListKeepsItsOrderTextsSelectionAndWidthsAcrossStyles) {
    OpenFrame();
    // Filled in Large Icons, where the toolkit's list keeps no sub-item texts.
    AddFiles({"b.txt", "A.txt", "c.TXT", "a2.bmp", "B.txt"});
    const std::vector<std::string> sorted{"A.txt", "a2.bmp", "b.txt", "B.txt", "c.TXT"};
    EXPECT_EQ(Labels(), sorted);
    List().SetItemState(1, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    List().SetItemState(4, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);

    ASSERT_TRUE(Command(kIdListDetails));
    EXPECT_EQ(Labels(), sorted);
    EXPECT_EQ(List().wxListCtrl::GetItemText(4, 1), "kind of c.TXT");
    EXPECT_EQ(List().wxListCtrl::GetItemText(0, 2), "1024 bytes");
    EXPECT_EQ(List().GetNextSelectedItem(-1), 1);
    EXPECT_EQ(List().GetNextSelectedItem(1), 4);
    EXPECT_EQ(List().GetNextSelectedItem(4), -1);

    // Added while in Details, then shown in List and back.
    AddFiles({"aa.log_ks"});
    ASSERT_TRUE(Command(kIdListList));
    ASSERT_TRUE(Command(kIdListDetails));
    EXPECT_EQ(List().wxListCtrl::GetItemText(2, 1), "kind of aa.log_ks");
    EXPECT_EQ(List().GetSelectedCount(), 2);

    List().SetColumnWidth(0, 300);
    Restart();
    EXPECT_EQ(List().GetStyleType(), 1);
    EXPECT_EQ(List().GetColumnWidth(0), 300);
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
    EXPECT_TRUE(IdleUntil([&] { return frame.GetSettings().targetDirectory.empty(); }));
    std::string typed;
    for (const char c : std::string("/out")) {
        keys.Char(c);
        typed += c;
        EXPECT_TRUE(IdleUntil([&] { return frame.GetSettings().targetDirectory == typed; }));
    }

    // Cancelled browsing changes nothing; a chosen folder shows with the action kept.
    ChooseAction(2);
    m_dialogs.answers = {std::nullopt, "/srv/spectra"};
    ASSERT_TRUE(Command(kIdBrowseTarget));
    EXPECT_EQ(frame.GetSettings().targetDirectory, "/out");
    wxCommandEvent click(wxEVT_BUTTON, WxCommandId(kIdBrowseTarget));
    click.SetEventObject(Bar().GetBrowseButton());
    Bar().GetBrowseButton()->ProcessWindowEvent(click);
    Idle();
    EXPECT_EQ(m_dialogs.titles,
              (std::vector<std::string>{"Select an Output Folder", "Select an Output Folder"}));
    EXPECT_EQ(edit->GetValue(), "/srv/spectra");
    EXPECT_EQ(frame.GetSettings().targetDirectory, "/srv/spectra");
    EXPECT_EQ(frame.GetSettings().defaultAction, 2);

    // Typed and never used, the text is still what the next start shows.
    edit->SetFocus();
    edit->SetInsertionPointEnd();
    Idle();
    keys.Char('2');
    Idle();
    ChooseAction(4);
    Restart();
    EXPECT_EQ(Bar().GetTargetEdit()->GetValue(), "/srv/spectra2");
    EXPECT_EQ(Bar().GetActionList()->GetSelection(), 4);
}

}  // namespace
}  // namespace kiro::test
