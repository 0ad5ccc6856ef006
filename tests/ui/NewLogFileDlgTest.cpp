#include "log/NewLogFileDlg.h"

#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "support/Fakes.h"
#include "ui/DialogTesting.h"

namespace kiro {
namespace {

using Dlg = CNewLogFileDlg;

class NewLogFileDlgTest : public ::testing::Test {
protected:
    ~NewLogFileDlgTest() override { frame->Destroy(); }

    static wxTextCtrl& NewName(Dlg& dialog) {
        return *wxStaticCast(dialog.FindWindow(Dlg::kIdNewLogName), wxTextCtrl);
    }
    static wxString CurrentName(Dlg& dialog) {
        return wxStaticCast(dialog.FindWindow(Dlg::kIdCurrentLogName), wxStaticText)->GetLabel();
    }

    std::optional<std::string> Ask(const std::string& current, std::function<int(Dlg&)> answer) {
        std::optional<std::string> result;
        wxTEST_DIALOG(result = asker.AskNewLogName(current, fileDialogs),
                      test::ExpectDialog<Dlg>(std::move(answer)));
        return result;
    }

    wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "owner");
    CWxNewLogFileDialog asker{frame};
    test::CRecordingFileDialogs fileDialogs;
};

TEST_F(NewLogFileDlgTest, TakesTheTypedOrBrowsedNameOnOkAndNothingOnCancel) {
    EXPECT_EQ(Ask("LogFile.log",
                  [](Dlg& dialog) {
                      EXPECT_EQ(CurrentName(dialog), "LogFile.log");
                      EXPECT_EQ(NewName(dialog).GetValue(), "LogFile.log");
                      NewName(dialog).SetValue("  typed name.log");
                      return test::PressButton(&dialog, wxID_OK);
                  }),
              "  typed name.log");

    // "..." cancelled keeps what was typed; a chosen file replaces it, with ".log" added.
    fileDialogs.saveAnswers = {std::nullopt, "/data.d/logs/monday"};
    EXPECT_EQ(Ask("/data/LogFile.log",
                  [](Dlg& dialog) {
                      NewName(dialog).SetValue("typed.log");
                      test::PressButton(&dialog, Dlg::kIdBrowseLogFile);
                      EXPECT_EQ(NewName(dialog).GetValue(), "typed.log");
                      test::PressButton(&dialog, Dlg::kIdBrowseLogFile);
                      EXPECT_EQ(NewName(dialog).GetValue(), "/data.d/logs/monday.log");
                      EXPECT_EQ(CurrentName(dialog), "/data/LogFile.log");
                      return test::PressButton(&dialog, wxID_OK);
                  }),
              "/data.d/logs/monday.log");
    EXPECT_EQ(fileDialogs.requests.size(), 2u);

    EXPECT_EQ(Ask("LogFile.log",
                  [](Dlg& dialog) {
                      NewName(dialog).SetValue("other.log");
                      return test::PressButton(&dialog, wxID_CANCEL);
                  }),
              std::nullopt);
}

}  // namespace
}  // namespace kiro
