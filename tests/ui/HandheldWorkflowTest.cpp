// The handheld workflow end to end: the real main window against a real kiroscan-sim on a
// temporary socket, driven through its commands; boxes and dialogs answered as a user
// answers them.
#include <wx/msgdlg.h>
#include <wx/treectrl.h>

#include <wx/choice.h>
#include <wx/eventfilter.h>

#include <chrono>
#include <deque>
#include <filesystem>
#include <sstream>

#include "DialogTesting.h"
#include "FrameFixture.h"
#include "devicelink/CreateDirDlg.h"
#include "sim/SimProcess.h"
#include "transfer/TargetBar.h"
#include "transfer/TransferActions.h"
#include "transfer/TransferDlg.h"
#include "ui/CommandIds.h"
#include "ui/KiroConvView.h"
#include "ui/LeftView.h"

namespace kiro::test {
namespace {

namespace fs = std::filesystem;

class HandheldWorkflowTest : public CFrameFixture {
protected:
    void SetUp() override {
        CFrameFixture::SetUp();
        m_socket.emplace(m_sim->SocketPath());
    }
    void TearDown() override {
        CFrameFixture::TearDown();
        m_socket.reset();
    }

    CMainFrame& Connected() {
        CMainFrame& frame = OpenFrame();
        Command(kIdConnect);
        Idle();
        return frame;
    }
    std::string Title() { return m_frame->GetTitle().utf8_string(); }
    CLeftView& Tree() { return *m_frame->GetTreeView(); }
    CKiroConvView& List() { return *m_frame->GetListView(); }
    std::vector<std::string> Labels() {
        std::vector<std::string> labels;
        for (int item = 0; item < List().GetItemCount(); ++item) {
            labels.push_back(List().wxListCtrl::GetItemText(item).utf8_string());
        }
        return labels;
    }
    // The "Kiro-SCAN" item: the tree's own root is hidden.
    wxTreeItemId DeviceItem() {
        wxTreeItemIdValue cookie;
        return Tree().GetFirstChild(Tree().GetRootItem(), cookie);
    }
    // Selects a folder as a click would: "" is the device item, "A/B" a nested folder.
    void SelectFolder(const std::string& path) {
        wxTreeItemId item = DeviceItem();
        std::string rest = path;
        while (!rest.empty()) {
            const std::string name = rest.substr(0, rest.find('/'));
            rest = rest.find('/') == std::string::npos ? "" : rest.substr(rest.find('/') + 1);
            wxTreeItemIdValue cookie;
            wxTreeItemId child = Tree().GetFirstChild(item, cookie);
            while (child.IsOk() && Tree().GetItemText(child).utf8_string() != name) {
                child = Tree().GetNextChild(item, cookie);
            }
            ASSERT_TRUE(child.IsOk()) << "no folder " << name;
            item = child;
        }
        Tree().SelectItem(item);
        Idle();
    }
    void SelectFiles(const std::vector<std::string>& names) {
        for (long item = 0; item < List().GetItemCount(); ++item) {
            const std::string label = List().wxListCtrl::GetItemText(item).utf8_string();
            const bool wanted = std::find(names.begin(), names.end(), label) != names.end();
            List().SetItemState(item, wanted ? wxLIST_STATE_SELECTED : 0, wxLIST_STATE_SELECTED);
        }
        Idle();
    }
    fs::path Handheld(const std::string& path = "") const { return m_sim->Root() / path; }

    std::unique_ptr<CSimProcess> m_sim =
        std::make_unique<CSimProcess>(std::vector<std::string>{"--refuse-delete", "noise.*"});
    std::optional<CSocketEnvironment> m_socket;
};

using Box = wxExpectModal<wxMessageDialog>;

TEST_F(HandheldWorkflowTest, ConnectBrowseRefreshAndDisconnect) {
    Connected();
    EXPECT_EQ(Title(), "KIROSCAN Conversion Utility - \\");
    EXPECT_TRUE(MenuChecked(kIdConnect));
    EXPECT_TRUE(ToolPressed(kIdConnect));
    for (const int id : {kIdCreateDirectory, kIdDeleteFiles, kIdRefresh}) {
        EXPECT_TRUE(MenuEnabled(id)) << id;
    }
    const wxTreeItemId root = DeviceItem();
    EXPECT_EQ(Tree().GetItemText(root), "Kiro-SCAN");
    EXPECT_EQ(Tree().GetItemImage(root), 2);
    EXPECT_GT(Tree().GetChildrenCount(root, false), 1u);

    SelectFolder("My Documents");
    EXPECT_EQ(Title(), "KIROSCAN Conversion Utility - \\My Documents");
    const std::vector<std::string> labels = Labels();
    EXPECT_NE(std::find(labels.begin(), labels.end(), "lamp.scope_ks"), labels.end());
    EXPECT_TRUE(std::is_sorted(labels.begin(), labels.end(), [](auto& a, auto& b) {
        return wxString(a).CmpNoCase(wxString(b)) < 0;
    }));
    EXPECT_FALSE(MenuEnabled(kIdGo)) << "nothing selected yet";
    SelectFiles({"lamp.scope_ks"});
    EXPECT_TRUE(MenuEnabled(kIdGo));

    Command(kIdRefresh);
    Idle();
    EXPECT_EQ(Tree().GetSelection(), DeviceItem());
    EXPECT_EQ(Title(), "KIROSCAN Conversion Utility - \\");

    Command(kIdConnect);  // pressed again: disconnects
    Idle();
    EXPECT_EQ(Title(), "KIROSCAN Conversion Utility - Not Connected");
    EXPECT_EQ(Tree().GetItemImage(DeviceItem()), 3);
    EXPECT_EQ(List().GetItemCount(), 0);
    EXPECT_FALSE(MenuEnabled(kIdRefresh));
}

TEST_F(HandheldWorkflowTest, NoHandheldTimesOutThenASecondAttemptConnects) {
    m_sim.reset();
    OpenFrame();
    const auto start = std::chrono::steady_clock::now();
    wxTEST_DIALOG(Command(kIdConnect), Box(wxID_OK).Describe("Timeout looking for Kiro-SCAN"));
    const double waited =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(waited, 1.9);
    EXPECT_LT(waited, 5.0);
    EXPECT_EQ(Tree().GetItemImage(DeviceItem()), 3);
    EXPECT_FALSE(MenuChecked(kIdConnect));
    EXPECT_FALSE(MenuEnabled(kIdDeleteFiles));

    m_sim = std::make_unique<CSimProcess>();
    m_socket.emplace(m_sim->SocketPath());
    Command(kIdConnect);
    Idle();
    EXPECT_TRUE(MenuChecked(kIdConnect));
    EXPECT_EQ(Tree().GetItemImage(DeviceItem()), 2);
}

TEST_F(HandheldWorkflowTest, DeleteFilesAndCreateDirectory) {
    Connected();
    SelectFolder("My Documents");
    SelectFiles({"dark.dark_ks", "noise.scope_ks"});
    wxTEST_DIALOG(Command(kIdDeleteFiles),
                  Box(wxID_NO).Describe("Are you sure you want to deleted these 2 files(s)?"));
    EXPECT_TRUE(fs::exists(Handheld("My Documents/dark.dark_ks")));
    wxTEST_DIALOG(Command(kIdDeleteFiles), Box(wxID_YES));
    EXPECT_FALSE(fs::exists(Handheld("My Documents/dark.dark_ks")));
    EXPECT_TRUE(fs::exists(Handheld("My Documents/noise.scope_ks"))) << "the handheld refused";
    const std::vector<std::string> labels = Labels();
    EXPECT_EQ(std::find(labels.begin(), labels.end(), "dark.dark_ks"), labels.end());
    EXPECT_NE(std::find(labels.begin(), labels.end(), "noise.scope_ks"), labels.end());

    const auto answer = [](const char* name, int button) {
        return ExpectDialog<CCreateDirDlg>([name, button](CCreateDirDlg& dialog) {
            EXPECT_EQ(dialog.m_strRoot, "\\My Documents");
            dialog.m_strNewName = name;
            return button;
        });
    };
    wxTEST_DIALOG(Command(kIdCreateDirectory), answer("Run 7", wxID_OK));
    EXPECT_TRUE(fs::is_directory(Handheld("My Documents/Run 7")));
    wxTEST_DIALOG(Command(kIdCreateDirectory), answer("", wxID_OK));
    wxTEST_DIALOG(Command(kIdCreateDirectory), answer("Cancelled", wxID_CANCEL));
    EXPECT_FALSE(fs::exists(Handheld("My Documents/Cancelled")));
    wxTEST_DIALOG(Command(kIdCreateDirectory), answer("Run 7", wxID_OK),
                  Box(wxID_OK).Describe("Directory creation failed"));
}

// The transfer dialog runs for real: its modal loop, its timer, its job. Boxes shown
// over it are answered from a script, and the dialog is closed once the job is over.
class TransferDialogTest : public HandheldWorkflowTest {
protected:
    // What the test does once the job has started: at the dialog's first chance to see
    // events after the first file.
    enum class During { Nothing, CancelBeforeStart, CloseAfterFirstFile, KillAfterFirstFile };

    void SetUp() override {
        HandheldWorkflowTest::SetUp();
        WriteConfigFile("[Settings]\nLogEvents=1\nLogFileName=" + (m_pc / "LogFile.log") +
                        "\nTargetDirectory=" + m_pc.Path().string() + "\n");
        SetModalAnswerer([this](wxDialog* dialog) { return Answer(dialog); },
                         [this](wxDialog* dialog) { NoteOutcome(dialog); });
        wxEvtHandler::AddFilter(&m_timerFilter);
    }
    void TearDown() override {
        wxEvtHandler::RemoveFilter(&m_timerFilter);
        SetModalAnswerer({});
        HandheldWorkflowTest::TearDown();
        EXPECT_TRUE(m_answers.empty()) << m_answers.size() << " boxes expected but not shown";
    }

    // Runs Go with an action over the named files of a folder.
    void Go(int action, const std::vector<std::string>& names, During during = During::Nothing,
            const std::string& folder = "My Documents") {
        auto* actions = m_frame->GetTargetBar()->GetActionList();
        actions->SetSelection(action);
        wxCommandEvent changed(wxEVT_CHOICE, actions->GetId());
        changed.SetEventObject(actions);
        actions->ProcessWindowEvent(changed);
        SelectFolder(folder);
        SelectFiles(names);
        m_during = during;
        m_statusText.clear();
        m_outcome.reset();
        Command(kIdGo);
        Idle();
    }

    int Answer(wxDialog* dialog) {
        if (auto* transfer = dynamic_cast<CTransferDlg*>(dialog)) {
            m_dialog = transfer;
            if (m_during == During::CancelBeforeStart) {
                transfer->CallAfter([transfer] { PressButton(transfer, CTransferDlg::kIdCancel); });
            }
            // A dialog kept open with a summary is closed as the user would.
            transfer->Bind(wxEVT_IDLE, [transfer](wxIdleEvent& event) {
                event.Skip();
                if (transfer->Outcome() && transfer->IsModal()) {
                    PressButton(transfer, CTransferDlg::kIdCancel);
                }
            });
            return wxID_NONE;
        }
        auto* box = dynamic_cast<wxMessageDialog*>(dialog);
        if (box == nullptr || m_answers.empty()) {
            ADD_FAILURE() << "unexpected dialog \"" << dialog->GetTitle().utf8_string() << "\" "
                          << (box != nullptr ? box->GetMessage().utf8_string() : "");
            return wxID_CANCEL;
        }
        const auto [text, button] = m_answers.front();
        m_answers.pop_front();
        EXPECT_NE(box->GetMessage().utf8_string().find(text), std::string::npos)
            << box->GetMessage().utf8_string();
        return button;
    }

    void NoteOutcome(wxDialog* dialog) {
        if (auto* transfer = dynamic_cast<CTransferDlg*>(dialog)) {
            m_outcome = transfer->Outcome();
            m_statusText = transfer->StatusText();
            m_dialog = nullptr;
        }
    }

    // The job's first step comes from the dialog's start timer: a step queued then is seen
    // when the job lets events through after its first file.
    class CTimerFilter final : public wxEventFilter {
    public:
        explicit CTimerFilter(TransferDialogTest& test) : m_test(test) {}
        int FilterEvent(wxEvent& event) override {
            if (event.GetEventType() == wxEVT_TIMER &&
                event.GetId() == CTransferDlg::kStartTimerId && m_test.m_dialog != nullptr) {
                m_test.QueueStepDuringJob();
            }
            return Event_Skip;
        }

    private:
        TransferDialogTest& m_test;
    };

    void QueueStepDuringJob() {
        CTransferDlg* dialog = m_dialog;
        if (m_during == During::CloseAfterFirstFile) {
            dialog->CallAfter([dialog] { dialog->Close(); });
        } else if (m_during == During::KillAfterFirstFile) {
            dialog->CallAfter([this] { m_sim->Kill(); });
        }
    }

    std::string LogText() { return ReadFileBytes(m_pc / "LogFile.log"); }
    std::vector<std::string> LogLines() {
        std::vector<std::string> lines;
        std::istringstream text(LogText());
        for (std::string line; std::getline(text, line);) {
            lines.push_back(line);
        }
        return lines;
    }

    CTempDir m_pc;
    std::deque<std::pair<std::string, int>> m_answers;
    CTimerFilter m_timerFilter{*this};
    CTransferDlg* m_dialog = nullptr;
    During m_during = During::Nothing;
    std::optional<TransferOutcome> m_outcome;
    std::string m_statusText;
};

TEST_F(TransferDialogTest, EachActionThroughGo) {
    Connected();
    Go(kActionCopyAndConvert, {"lamp.scope_ks", "session.log_ks"});
    ASSERT_TRUE(m_outcome);
    EXPECT_EQ(m_outcome->failures, 0);
    EXPECT_TRUE(fs::exists(m_pc / "lamp.scope_ks"));
    EXPECT_TRUE(fs::exists(m_pc / "lamp.scope"));
    EXPECT_TRUE(fs::exists(m_pc / "session.log_ks"));
    EXPECT_TRUE(fs::exists(Handheld("My Documents/lamp.scope_ks")));

    Go(kActionMoveAndConvert, {"dark.dark_ks"});
    EXPECT_FALSE(fs::exists(Handheld("My Documents/dark.dark_ks")));
    EXPECT_TRUE(fs::exists(m_pc / "dark.dark_ks"));
    EXPECT_TRUE(fs::exists(m_pc / "dark.dark"));
    std::vector<std::string> labels = Labels();
    EXPECT_EQ(std::find(labels.begin(), labels.end(), "dark.dark_ks"), labels.end())
        << "the list is refreshed after a move";

    m_answers = {{"exists.  Overwrite?", wxID_NO}};  // the output of lamp is there already
    Go(kActionConvertOnly, {"lamp.scope_ks", "reference.reference_ks"});
    EXPECT_TRUE(fs::exists(m_pc / "reference.reference"));
    EXPECT_FALSE(fs::exists(m_pc / "reference.reference_ks"));
    EXPECT_TRUE(fs::exists(m_pc / "lamp.scope_ks")) << "Convert Only keeps the user's own copy";

    Go(kActionCopyOnly, {"notes.txt"});
    EXPECT_TRUE(fs::exists(m_pc / "notes.txt"));

    Go(kActionMoveOnly, {"cuvette.background_ks", "noise.scope_ks"});
    ASSERT_TRUE(m_outcome);
    EXPECT_EQ(m_outcome->failures, 1) << "the handheld refuses to delete noise";
    EXPECT_NE(m_statusText.find("The transfer finished with failures"), std::string::npos)
        << "the dialog stays open with its summary";
    EXPECT_FALSE(fs::exists(Handheld("My Documents/cuvette.background_ks")));
    EXPECT_TRUE(fs::exists(Handheld("My Documents/noise.scope_ks")));
    EXPECT_TRUE(fs::exists(m_pc / "noise.scope_ks"));

    // The log tells each step in order: the copy, its conversion, then the deletion.
    const std::vector<std::string> lines = LogLines();
    const auto at = [&lines](const std::string& text) {
        return std::find_if(lines.begin(), lines.end(),
                            [&text](const std::string& line) {
                                return line.find(text) != std::string::npos;
                            }) -
               lines.begin();
    };
    const auto copied = at("copied file \\My Documents\\dark.dark_ks");
    const auto converted = at("converted file " + (m_pc / "dark.dark_ks"));
    const auto deleted = at("deleted remote file \\My Documents\\dark.dark_ks");
    EXPECT_LT(copied, converted);
    EXPECT_LT(converted, deleted);
    EXPECT_LT(deleted, static_cast<long>(lines.size()));
    EXPECT_LT(at("**FAILURE** User"), static_cast<long>(lines.size()));
}

TEST_F(TransferDialogTest, CancelAndCloseStopTheJobBetweenFiles) {
    Connected();
    const std::vector<std::string> three = {"leaf-01.sample_ks", "Leaf-02.sample_ks",
                                            "lamp.scope_ks"};
    Go(kActionCopyOnly, three, During::CancelBeforeStart);
    EXPECT_TRUE(fs::is_empty(m_pc.Path()) ||
                (fs::directory_iterator(m_pc.Path())->path().filename() == "LogFile.log"))
        << "nothing copied after a Cancel within the first half second";

    Go(kActionCopyOnly, three, During::CloseAfterFirstFile);
    int copies = 0;
    for (const std::string& name : three) {
        copies += fs::exists(m_pc / name) ? 1 : 0;
    }
    EXPECT_EQ(copies, 1) << "closing the dialog cancels after the file in hand";
    EXPECT_NE(LogText().find("cancel"), std::string::npos);
}

TEST_F(TransferDialogTest, TheHandheldLostDuringAMoveLosesNothing) {
    Connected();
    const std::vector<std::string> names = {"leaf-01.sample_ks", "Leaf-02.sample_ks",
                                            "lamp.scope_ks"};
    m_answers = {{"The connection to the Kiro-SCAN was lost.", wxID_OK}};
    Go(kActionMoveAndConvert, names, During::KillAfterFirstFile);
    ASSERT_TRUE(m_outcome);
    EXPECT_TRUE(m_outcome->connectionLost) << m_statusText << "\n" << LogText();
    EXPECT_NE(m_statusText.find("The connection to the Kiro-SCAN was lost"), std::string::npos);
    // Every spectrum is on the handheld, or whole on the PC, or both.
    for (const std::string& name : names) {
        const bool onHandheld = fs::exists(Handheld("My Documents/" + name));
        const bool onPc = fs::exists(m_pc / name);
        EXPECT_TRUE(onHandheld || onPc) << name;
        if (onPc && !onHandheld) {
            EXPECT_EQ(ReadFileBytes(m_pc / name).size(), fs::file_size(m_pc / name));
        }
    }
    EXPECT_EQ(Title(), "KIROSCAN Conversion Utility - Not Connected");
    EXPECT_EQ(Tree().GetItemImage(DeviceItem()), 3);
    EXPECT_EQ(List().GetItemCount(), 0);
    EXPECT_FALSE(MenuEnabled(kIdRefresh));
}

}  // namespace
}  // namespace kiro::test
