// The handheld workflow end to end: the real main window against a real kiroscan-sim on a
// temporary socket, driven through its commands; boxes and dialogs answered as a user
// answers them.
#include <wx/checkbox.h>
#include <wx/eventfilter.h>
#include <wx/msgdlg.h>
#include <wx/timer.h>
#include <wx/treectrl.h>

#include <algorithm>
#include <chrono>
#include <deque>
#include <filesystem>
#include <map>

#include "DialogTesting.h"
#include "FrameFixture.h"
#include "commands/CommandIds.h"
#include "platform/FileChecks.h"
#include "sim/SimProcess.h"
#include "transfer/TransferActions.h"
#include "ui/LeftView.h"
#include "ui/PreviewPane.h"
#include "ui/devicelink/CreateDirDlg.h"
#include "ui/transfer/ExistingFileDlg.h"
#include "ui/transfer/TransferDlg.h"

namespace kiro::test {
namespace {

namespace fs = std::filesystem;
using Box = wxExpectModal<wxMessageDialog>;

class HandheldWorkflowTest : public CFrameFixture {
protected:
    void SetUp() override {
        CFrameFixture::SetUp();
        if (!m_sim.Running()) {
            GTEST_SKIP() << "no emulated handheld: under wine, kiroconv_wine_driver starts them";
        }
    }
    std::string Title() { return m_frame->GetTitle().utf8_string(); }
    CLeftView& Tree() { return *m_frame->GetTreeView(); }
    wxTreeItemId DeviceItem() { return test::DeviceItem(*m_frame); }
    void SelectFolder(const std::string& path) {
        ASSERT_TRUE(SelectDeviceFolder(*m_frame, path)) << "no folder " << path;
        Idle();
    }
    void SelectFiles(const std::vector<std::string>& names) {
        SelectListedFiles(*m_frame, names);
        Idle();
    }
    fs::path Handheld(const std::string& name) const {
        return m_sim.Root() / "My Documents" / name;
    }

    CSimProcess m_sim{{"--refuse-delete", "noise.*"}};
    std::optional<CSocketEnvironment> m_socket{std::in_place, m_sim.SocketPath()};
};

TEST_F(HandheldWorkflowTest, ConnectBrowseDeleteCreateRefreshAndDisconnect) {
    // Nothing answers on the socket: the attempt times out, and a later one connects.
    m_socket.emplace(m_home / "nobody.sock");
    OpenFrame();
    const auto start = std::chrono::steady_clock::now();
    wxTEST_DIALOG(Command(kIdConnect), Box(wxID_OK).Describe("Timeout looking for Kiro-SCAN"));
    const double waited =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(waited, 1.9);
    EXPECT_LT(waited, 5.0);
    EXPECT_FALSE(MenuChecked(kIdConnect));
    m_socket.emplace(m_sim.SocketPath());
    Command(kIdConnect);
    EXPECT_EQ(Title(), "KIROSCAN Conversion Utility - \\");
    EXPECT_TRUE(ToolPressed(kIdConnect));
    EXPECT_EQ(Tree().GetItemImage(DeviceItem()), 2);

    SelectFolder("My Documents/Series/2026-12-05");
    EXPECT_EQ(Title(), "KIROSCAN Conversion Utility - \\My Documents\\Series\\2026-12-05");
    EXPECT_TRUE(Listed("kinetics-5.absorbance_ks"));
    SelectFolder("My Documents");
    EXPECT_EQ(Title(), "KIROSCAN Conversion Utility - \\My Documents");
    EXPECT_TRUE(Listed("lamp.scope_ks"));
    EXPECT_FALSE(MenuEnabled(kIdGo)) << "nothing selected yet";
    SelectFiles({"lamp.scope_ks"});
    EXPECT_TRUE(MenuEnabled(kIdGo));

    SelectFiles({"dark.dark_ks", "noise.scope_ks"});
    wxTEST_DIALOG(Command(kIdDeleteFiles),
                  Box(wxID_NO).Describe("Are you sure you want to deleted these 2 files(s)?"));
    EXPECT_TRUE(fs::exists(Handheld("dark.dark_ks")));
    wxTEST_DIALOG(Command(kIdDeleteFiles), Box(wxID_YES));
    EXPECT_FALSE(fs::exists(Handheld("dark.dark_ks")));
    EXPECT_TRUE(fs::exists(Handheld("noise.scope_ks"))) << "the handheld refused";
    EXPECT_FALSE(Listed("dark.dark_ks"));
    EXPECT_TRUE(Listed("noise.scope_ks"));

    const auto answer = [](const char* name, int button) {
        return ExpectDialog<CCreateDirDlg>([name, button](CCreateDirDlg& dialog) {
            EXPECT_EQ(dialog.m_strRoot, "\\My Documents");
            dialog.m_strNewName = name;
            return button;
        });
    };
    wxTEST_DIALOG(Command(kIdCreateDirectory), answer("Run 7", wxID_OK));
    EXPECT_TRUE(fs::is_directory(Handheld("Run 7")));
    wxTEST_DIALOG(Command(kIdCreateDirectory), answer("", wxID_OK));
    wxTEST_DIALOG(Command(kIdCreateDirectory), answer("Cancelled", wxID_CANCEL));
    EXPECT_FALSE(fs::exists(Handheld("Cancelled")));
    wxTEST_DIALOG(Command(kIdCreateDirectory), answer("Run 7", wxID_OK),
                  Box(wxID_OK).Describe("Directory creation failed"));

    Command(kIdRefresh);
    EXPECT_EQ(Tree().GetSelection(), DeviceItem());
    EXPECT_EQ(Title(), "KIROSCAN Conversion Utility - \\");
    Command(kIdConnect);  // pressed again: disconnects
    EXPECT_EQ(Title(), "KIROSCAN Conversion Utility - Not Connected");
    EXPECT_EQ(Tree().GetItemImage(DeviceItem()), 3);
    EXPECT_EQ(List().FileList().GetItemCount(), 0);
    EXPECT_FALSE(MenuEnabled(kIdRefresh));
}

// A handheld file is previewed from memory: nothing appears on the PC, and only the
// newest of quick selections is drawn.
TEST_F(HandheldWorkflowTest, PreviewReadsHandheldFilesWithoutWritingToThePc) {
    CTempDir target;
    WriteSettings("[Settings]\nShowPreview=1\nTargetDirectory=" + target.Path().string() + "\n");
    OpenFrame();
    Command(kIdConnect);
    SelectFolder("My Documents");
    CSpectrumPreview& preview = *m_frame->GetPreview();
    const auto plotted = [&preview] {
        const std::optional<PlotLayout> layout = preview.CurrentLayout();
        return layout ? layout->lines.size() : 0;
    };
    SelectFiles({"notes.txt"});
    SelectFiles({"dye-mix.absorbance_ks"});
    EXPECT_EQ(plotted(), 1u);
    SelectFiles({"lamp.scope_ks", "dark.dark_ks", "reference.reference_ks"});
    EXPECT_EQ(plotted(), 3u);
    SelectFiles({"notes.txt"});
    EXPECT_EQ(preview.Content().text, "notes.txt: not a spectrum file that KiroConv reads.");
    EXPECT_TRUE(fs::is_empty(target.Path()));
}

// The transfer dialog runs for real: its modal loop, its timer, its job. Boxes shown
// over it are answered from a script; a dialog kept open with its summary is closed as
// the user would.
class TransferDialogTest : public HandheldWorkflowTest, public wxEventFilter {
protected:
    using Step = std::function<void(CTransferDlg&)>;

    void SetUp() override {
        HandheldWorkflowTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        WriteSettings("[Settings]\nLogEvents=1\nLogFileName=" + (m_pc / "LogFile.log") +
                      "\nTargetDirectory=" + m_pc.Path().string() + "\n");
        SetModalAnswerer([this](wxDialog* dialog) { return Answer(dialog); },
                         [this](wxDialog* dialog) {
                             if (auto* transfer = dynamic_cast<CTransferDlg*>(dialog)) {
                                 m_outcome = transfer->Outcome();
                                 m_statusText = transfer->StatusText();
                             }
                         });
        wxEvtHandler::AddFilter(this);
        OpenFrame();
        Command(kIdConnect);
    }
    void TearDown() override {
        if (IsSkipped()) {
            HandheldWorkflowTest::TearDown();
            return;
        }
        wxEvtHandler::RemoveFilter(this);
        SetModalAnswerer({});
        HandheldWorkflowTest::TearDown();
        EXPECT_TRUE(m_answers.empty()) << m_answers.size() << " boxes expected but not shown";
        EXPECT_TRUE(m_existingAnswers.empty()) << "File Already Exists expected but not shown";
    }

    // Runs Go with an action over files of My Documents. `whenShown` runs once the
    // dialog's loop runs, before the job starts; `afterFirstFile` when the job first lets
    // events through.
    void Go(int action, const std::vector<std::string>& names, Step whenShown = {},
            Step afterFirstFile = {}) {
        ChooseAction(action);
        SelectFolder("My Documents");
        SelectFiles(names);
        m_whenShown = std::move(whenShown);
        m_afterFirstFile = std::move(afterFirstFile);
        m_outcome.reset();
        m_keptOpen = false;
        Command(kIdGo);
    }

    int Answer(wxDialog* dialog) {
        if (auto* transfer = dynamic_cast<CTransferDlg*>(dialog)) {
            if (m_whenShown) {
                transfer->CallAfter([this, transfer] { m_whenShown(*transfer); });
            }
            transfer->Bind(wxEVT_IDLE, [this, transfer](wxIdleEvent& event) {
                event.Skip();
                if (transfer->Outcome() && transfer->IsModal()) {
                    m_keptOpen = true;
                    PressButton(transfer, CTransferDlg::kIdCancel);
                }
            });
            return wxID_NONE;
        }
        if (auto* existing = dynamic_cast<CExistingFileDlg*>(dialog)) {
            return AnswerExisting(*existing);
        }
        auto* box = dynamic_cast<wxMessageDialog*>(dialog);
        if (box == nullptr || m_answers.empty()) {
            ADD_FAILURE() << "unexpected dialog " << dialog->GetTitle().utf8_string() << ": "
                          << (box != nullptr ? box->GetMessage().utf8_string() : "");
            return wxID_CANCEL;
        }
        const auto [text, button] = m_answers.front();
        m_answers.pop_front();
        EXPECT_NE(box->GetMessage().utf8_string().find(text), std::string::npos)
            << box->GetMessage().utf8_string();
        return button;
    }

    // Presses the scripted button of "File Already Exists", with the check box as scripted.
    int AnswerExisting(CExistingFileDlg& dialog) {
        if (m_existingAnswers.empty()) {
            ADD_FAILURE() << "unexpected File Already Exists";
            return CExistingFileDlg::kIdSkip;
        }
        const auto [button, forRest] = m_existingAnswers.front();
        m_existingAnswers.pop_front();
        EXPECT_EQ(dialog.GetTitle(), "File Already Exists");
        auto* check = dynamic_cast<wxCheckBox*>(dialog.FindWindow(CExistingFileDlg::kIdForRest));
        EXPECT_EQ(check->GetLabel(), "Do the same for the rest of this job");
        check->SetValue(forRest);
        ++m_existingAsked;
        return button;
    }

    // The job's first step comes from the dialog's start timer: a step queued then is seen
    // when the job lets events through after its first file.
    int FilterEvent(wxEvent& event) override {
        if (event.GetEventType() == wxEVT_TIMER && event.GetId() == CTransferDlg::kStartTimerId &&
            m_afterFirstFile) {
            wxEvtHandler* owner = static_cast<wxTimerEvent&>(event).GetTimer().GetOwner();
            if (auto* dialog = dynamic_cast<CTransferDlg*>(owner)) {
                dialog->CallAfter([this, dialog] { m_afterFirstFile(*dialog); });
            }
        }
        return Event_Skip;
    }

    std::string LogText() { return ReadFileBytes(m_pc / "LogFile.log"); }

    CTempDir m_pc;
    std::deque<std::pair<std::string, int>> m_answers;
    std::deque<std::pair<int, bool>> m_existingAnswers;
    int m_existingAsked = 0;
    Step m_whenShown;
    Step m_afterFirstFile;
    std::optional<TransferOutcome> m_outcome;
    std::string m_statusText;
    bool m_keptOpen = false;
};

TEST_F(TransferDialogTest, EachActionThroughGo) {
    // One file per action: whether the PC then holds its copy and its converted output,
    // and whether the handheld (and so the refreshed list) still holds it.
    const struct {
        int action;
        std::string name;
        bool copied, converted, kept;
    } cases[] = {
        {kActionCopyAndConvert, "lamp.scope_ks", true, true, true},
        {kActionMoveAndConvert, "dark.dark_ks", true, true, false},
        {kActionConvertOnly, "reference.reference_ks", false, true, true},
        {kActionCopyOnly, "dye-mix.absorbance_ks", true, false, true},
        {kActionMoveOnly, "cuvette.background_ks", true, false, false},
    };
    for (const auto& c : cases) {
        Go(c.action, {c.name});
        ASSERT_TRUE(m_outcome) << c.name;
        EXPECT_EQ(m_outcome->failures, 0) << c.name;
        EXPECT_FALSE(m_keptOpen) << c.name;
        EXPECT_EQ(fs::exists(m_pc / c.name), c.copied) << c.name;
        EXPECT_EQ(fs::exists(m_pc / c.name.substr(0, c.name.size() - 3)), c.converted) << c.name;
        EXPECT_EQ(fs::exists(Handheld(c.name)), c.kept) << c.name;
        EXPECT_EQ(Listed(c.name), c.kept) << c.name;
    }
    EXPECT_NE(LogText().find("deleted remote file \\My Documents\\dark.dark_ks"),
              std::string::npos);

    // The question over the dialog, answered No, leaves the PC's file alone.
    WriteFileBytes(m_pc / "lamp.scope", "kept");
    m_answers = {{"exists.  Overwrite?", wxID_NO}};
    Go(kActionConvertOnly, {"lamp.scope_ks"});
    EXPECT_EQ(ReadFileBytes(m_pc / "lamp.scope"), "kept");

    Go(kActionMoveOnly, {"noise.scope_ks"});
    ASSERT_TRUE(m_outcome);
    EXPECT_EQ(m_outcome->failures, 1) << "the handheld refuses to delete noise";
    EXPECT_TRUE(m_keptOpen) << "the dialog stays open with its summary";
    EXPECT_NE(m_statusText.find("The transfer finished with failures"), std::string::npos);
    EXPECT_TRUE(fs::exists(Handheld("noise.scope_ks")));
    EXPECT_TRUE(fs::exists(m_pc / "noise.scope_ks"));
    EXPECT_NE(LogText().find("**FAILURE** User"), std::string::npos);
}

TEST_F(TransferDialogTest, CancelCloseOrALostHandheldStopTheJobBetweenFilesLosingNothing) {
    const std::vector<std::string> three = {"leaf-01.sample_ks", "Leaf-02.sample_ks",
                                            "lamp.scope_ks"};
    Go(kActionCopyOnly, three,
       [](CTransferDlg& dialog) { PressButton(&dialog, CTransferDlg::kIdCancel); });
    EXPECT_EQ(ListNames(m_pc.Path()), std::vector<std::string>{"LogFile.log"})
        << "nothing copied after a Cancel within the first half second";

    Go(kActionCopyOnly, three, {}, [](CTransferDlg& dialog) { dialog.Close(); });
    EXPECT_EQ(ListNames(m_pc.Path()).size(), 2u)
        << "closing the dialog cancels after the file in hand";
    EXPECT_NE(LogText().find("cancel"), std::string::npos);

    const std::vector<std::string> moved = {"cuvette.background_ks", "dark.dark_ks",
                                            "reference.reference_ks"};
    std::map<std::string, std::string> before;
    for (const std::string& name : moved) {
        before[name] = ReadFileBytes(Handheld(name));
    }
    m_answers = {{"The connection to the Kiro-SCAN was lost.", wxID_OK}};
    Go(kActionMoveAndConvert, moved, {}, [this](CTransferDlg&) { m_sim.Kill(); });
    ASSERT_TRUE(m_outcome);
    EXPECT_TRUE(m_outcome->connectionLost) << m_statusText << "\n" << LogText();
    EXPECT_TRUE(m_keptOpen);
    // Every spectrum is on the handheld, or whole on the PC.
    for (const std::string& name : moved) {
        if (!fs::exists(Handheld(name))) {
            EXPECT_EQ(ReadFileBytes(m_pc / name), before[name]) << name;
        }
    }
    EXPECT_EQ(Title(), "KIROSCAN Conversion Utility - Not Connected");
    EXPECT_EQ(List().FileList().GetItemCount(), 0);
}

// A different PC file of a moved file's name: each button once, then one answer for
// the rest of the job.
TEST_F(TransferDialogTest, FileAlreadyExistsAsksBeforeAMoveReplacesAnything) {
    const std::vector<std::string> names = {"leaf-01.sample_ks", "Leaf-02.sample_ks",
                                            "lamp.scope_ks"};
    for (const std::string& name : names) {
        WriteFileBytes(m_pc / name, "the PC's own " + name);
    }
    const std::string leaf2 = ReadFileBytes(Handheld("Leaf-02.sample_ks"));
    // In the list's order: lamp, leaf-01, Leaf-02.
    m_existingAnswers = {{CExistingFileDlg::kIdSkip, false},
                         {CExistingFileDlg::kIdKeepBoth, false},
                         {CExistingFileDlg::kIdReplace, false}};
    Go(kActionMoveOnly, names);
    EXPECT_EQ(m_existingAsked, 3);
    EXPECT_TRUE(fs::exists(Handheld("lamp.scope_ks"))) << "skipped, so not deleted";
    EXPECT_EQ(ReadFileBytes(m_pc / "lamp.scope_ks"), "the PC's own lamp.scope_ks");
    EXPECT_EQ(ReadFileBytes(m_pc / "leaf-01.sample_ks"), "the PC's own leaf-01.sample_ks");
    EXPECT_TRUE(fs::exists(m_pc / "leaf-01 (2).sample_ks"));
    EXPECT_EQ(ReadFileBytes(m_pc / "Leaf-02.sample_ks"), leaf2);
    EXPECT_FALSE(fs::exists(Handheld("Leaf-02.sample_ks")));
    EXPECT_NE(LogText().find("skipped file \\My Documents\\lamp.scope_ks"), std::string::npos);

    // Three more names taken: Keep Both for the rest of the job is asked once.
    const std::vector<std::string> more = {"dark.dark_ks", "reference.reference_ks",
                                           "noise.scope_ks"};
    for (const std::string& name : more) {
        WriteFileBytes(m_pc / name, "taken");
    }
    m_existingAsked = 0;
    m_existingAnswers = {{CExistingFileDlg::kIdKeepBoth, true}};
    Go(kActionCopyOnly, more);
    EXPECT_EQ(m_existingAsked, 1);
    for (const std::string& name : more) {
        EXPECT_EQ(ReadFileBytes(m_pc / name), "taken");
        EXPECT_EQ(ReadFileBytes(m_pc.Path() / NumberedName(name, 2)),
                  ReadFileBytes(Handheld(name)));
    }
}

}  // namespace
}  // namespace kiro::test
