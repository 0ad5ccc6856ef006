// Our own dialogs and the help book, over a bare frame.
#include "ui/log/NewLogFileDlg.h"

#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/html/helpwnd.h>
#include <wx/panel.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "commands/CommandIds.h"
#include "platform/VersionRecord.h"
#include "res/EmbeddedResources.h"
#include "support/Fakes.h"
#include "ui/AboutDlg.h"
#include "ui/DialogTesting.h"
#include "ui/HelpBook.h"

namespace kiro {
namespace {

class DialogsAndHelpTest : public ::testing::Test {
protected:
    ~DialogsAndHelpTest() override { frame->Destroy(); }

    wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "owner");
};

wxString VersionLine(const CAboutDlg& box) {
    return wxStaticCast(box.FindWindow(CAboutDlg::kIdVersionText), wxStaticText)->GetLabel();
}

TEST_F(DialogsAndHelpTest, TheAboutBoxShowsTheVersionFromTheRecordAndEscapeClosesIt) {
    CAboutDlg box(frame);
    EXPECT_EQ(VersionLine(box), "1.0.0.1");
    // A damaged record reads as no version (the reader's own tests cover which are).
    EXPECT_EQ(VersionLine(CAboutDlg(frame, ReadFileVersion("not a version record"))), "");
    bool closed = false;
    wxTEST_DIALOG(box.ShowModal(), test::ExpectDialog<CAboutDlg>([&](CAboutDlg& shown) {
                      shown.Show();
                      wxKeyEvent escape(wxEVT_CHAR_HOOK);
                      escape.m_keyCode = WXK_ESCAPE;
                      escape.SetEventObject(&shown);
                      shown.ProcessWindowEvent(escape);
                      closed = !shown.IsShown();
                      return wxID_OK;
                  }));
    EXPECT_TRUE(closed);
}

// The page the help window shows, as "file.html#anchor".
wxString OpenedTopic(CHelpBook& help) {
    const wxHtmlHelpWindow* window = help.Controller().GetHelpWindow();
    if (window == nullptr) {
        return {};
    }
    const wxHtmlWindow* page = window->GetHtmlWindow();
    return page->GetOpenedPage().AfterLast('/').BeforeFirst('#') + "#" + page->GetOpenedAnchor();
}

TEST_F(DialogsAndHelpTest, TheBundledBookLoadsAndContextHelpFindsThePageOfWhatWasClicked) {
    CHelpBook help(frame);
    ASSERT_TRUE(help.Load());
    // Every entry of the bundled contents is read, under the book's own title.
    const std::string_view* contents = FindEmbeddedResource("help/kiroconv.hhc");
    ASSERT_NE(contents, nullptr);
    std::size_t entries = 0;
    for (std::size_t at = contents->find("text/sitemap"); at != std::string_view::npos;
         at = contents->find("text/sitemap", at + 1)) {
        ++entries;
    }
    EXPECT_EQ(help.ContentsCount(), entries + 1);

    // A window with a page of its own, a control that carries a command's id, and a
    // window inside the first one without a page.
    auto* targetBar = new wxPanel(frame);
    auto* targetEdit = new wxTextCtrl(targetBar, kIdTargetEdit);
    auto* label = new wxStaticText(targetBar, wxID_ANY, "Target");
    help.SetPageFor(targetBar, help_page::kTargetBar);
    SetCommandPages(help);
    frame->Bind(wxEVT_HELP, &CHelpBook::OnHelp, &help);
    const auto askHelpOn = [&help](wxWindow* window) {
        wxHelpEvent event(wxEVT_HELP, window->GetId(), wxDefaultPosition,
                          wxHelpEvent::Origin_HelpButton);
        event.SetEventObject(window);
        window->GetEventHandler()->ProcessEvent(event);
        return OpenedTopic(help);
    };
    EXPECT_EQ(askHelpOn(label), "target_bar.html#");
    EXPECT_EQ(askHelpOn(targetEdit), "target_bar.html#target");
    frame->Unbind(wxEVT_HELP, &CHelpBook::OnHelp, &help);

    // A page belongs to its window, not to whatever is later made at the same place.
    targetBar->Destroy();
    EXPECT_EQ(help.PageFor(new wxPanel(frame)), "");
}

using Dlg = CNewLogFileDlg;

wxTextCtrl& NewName(Dlg& dialog) {
    return *wxStaticCast(dialog.FindWindow(Dlg::kIdNewLogName), wxTextCtrl);
}

TEST_F(DialogsAndHelpTest, TheNewLogFileBoxTakesTheTypedOrBrowsedNameOnOkAndNothingOnCancel) {
    CWxNewLogFileDialog asker{frame};
    test::CRecordingFileDialogs fileDialogs;
    fileDialogs.saveAnswers = {std::nullopt, "/data.d/logs/monday"};
    const auto ask = [&](std::function<int(Dlg&)> answer) {
        std::optional<std::string> result;
        wxTEST_DIALOG(result = asker.AskNewLogName("/data/LogFile.log", fileDialogs),
                      test::ExpectDialog<Dlg>(std::move(answer)));
        return result;
    };
    // "..." cancelled keeps what was typed, spaces and all.
    EXPECT_EQ(ask([](Dlg& dialog) {
                  const auto* current = dialog.FindWindow(Dlg::kIdCurrentLogName);
                  EXPECT_EQ(wxStaticCast(current, wxStaticText)->GetLabel(), "/data/LogFile.log");
                  EXPECT_EQ(NewName(dialog).GetValue(), "/data/LogFile.log");
                  NewName(dialog).SetValue("  typed name.log");
                  test::PressButton(&dialog, Dlg::kIdBrowseLogFile);
                  EXPECT_EQ(NewName(dialog).GetValue(), "  typed name.log");
                  return test::PressButton(&dialog, wxID_OK);
              }),
              "  typed name.log");
    // A chosen file replaces it, with ".log" added; Cancel gives nothing.
    EXPECT_EQ(ask([](Dlg& dialog) {
                  test::PressButton(&dialog, Dlg::kIdBrowseLogFile);
                  EXPECT_EQ(NewName(dialog).GetValue(), "/data.d/logs/monday.log");
                  return test::PressButton(&dialog, wxID_OK);
              }),
              "/data.d/logs/monday.log");
    EXPECT_EQ(ask([](Dlg& dialog) {
                  NewName(dialog).SetValue("other.log");
                  return test::PressButton(&dialog, wxID_CANCEL);
              }),
              std::nullopt);
}

}  // namespace
}  // namespace kiro
