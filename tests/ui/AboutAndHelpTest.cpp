#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/html/helpwnd.h>
#include <wx/panel.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "res/EmbeddedResources.h"
#include "ui/AboutDlg.h"
#include "ui/CommandIds.h"
#include "ui/DialogTesting.h"
#include "ui/HelpBook.h"

namespace kiro {
namespace {

class AboutAndHelpTest : public ::testing::Test {
protected:
    ~AboutAndHelpTest() override { frame->Destroy(); }

    wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "owner");
};

wxString VersionLine(const CAboutDlg& box) {
    return wxStaticCast(box.FindWindow(CAboutDlg::kIdVersionText), wxStaticText)->GetLabel();
}

// Runs the box as the about command does, shows it and closes it with `close` the way
// a user would; true when that hid it again.
bool ClosesWith(CAboutDlg& box, const std::function<void(CAboutDlg&)>& close) {
    bool closed = false;
    wxTEST_DIALOG(box.ShowModal(), test::ExpectDialog<CAboutDlg>([&](CAboutDlg& shown) {
                      shown.Show();
                      close(shown);
                      closed = !shown.IsShown();
                      return wxID_OK;
                  }));
    return closed;
}

TEST_F(AboutAndHelpTest, TheAboutBoxShowsTheVersionFromTheRecordAndClosesEveryWay) {
    CAboutDlg box(frame);
    EXPECT_EQ(VersionLine(box), "1.0.0.1");
    EXPECT_EQ(VersionLine(CAboutDlg(frame, "not a version record")), "");

    EXPECT_TRUE(ClosesWith(box, [](CAboutDlg& shown) { test::PressButton(&shown, wxID_OK); }));
    EXPECT_TRUE(ClosesWith(box, [](CAboutDlg& shown) {
        wxKeyEvent escape(wxEVT_CHAR_HOOK);
        escape.m_keyCode = WXK_ESCAPE;
        escape.SetEventObject(&shown);
        shown.ProcessWindowEvent(escape);
    }));
    EXPECT_TRUE(ClosesWith(box, [](CAboutDlg& shown) { shown.Close(); }));  // title bar
}

std::size_t CountContentsEntries() {
    const std::string_view* contents = FindEmbeddedResource("help/kiroconv.hhc");
    if (contents == nullptr) {
        return 0;
    }
    std::size_t count = 0;
    for (std::size_t at = contents->find("text/sitemap"); at != std::string_view::npos;
         at = contents->find("text/sitemap", at + 1)) {
        ++count;
    }
    return count;
}

// The page the help window shows, as "file.html#anchor".
wxString OpenedTopic(CHelpBook& help) {
    wxHtmlHelpWindow* window = help.Controller().GetHelpWindow();
    if (window == nullptr) {
        return {};
    }
    const wxHtmlWindow* page = window->GetHtmlWindow();
    return page->GetOpenedPage().AfterLast('/').BeforeFirst('#') + "#" + page->GetOpenedAnchor();
}

TEST_F(AboutAndHelpTest, TheBundledBookLoadsAndContextHelpFindsThePageOfWhatWasClicked) {
    CHelpBook help(frame);
    ASSERT_TRUE(help.Load());
    // Every entry of the bundled contents is read, under the book's own title.
    EXPECT_EQ(help.ContentsCount(), CountContentsEntries() + 1);

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

    ASSERT_TRUE(help.Display("menu_file.html#connect"));
    EXPECT_EQ(OpenedTopic(help), "menu_file.html#connect");

    // A page belongs to its window, not to whatever is later made at the same place.
    targetBar->Destroy();
    auto* another = new wxPanel(frame);
    EXPECT_EQ(help.PageFor(another), "");
    frame->Unbind(wxEVT_HELP, &CHelpBook::OnHelp, &help);
}

}  // namespace
}  // namespace kiro
