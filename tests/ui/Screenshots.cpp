// kiroconv_screenshots [--connected-only] OUTDIR: shows the main window connected to the
// handheld at $KIROSCAN_SOCKET with a folder listed, in each of the four list styles, the
// program's dialogs and its message boxes, and photographs them (ImageMagick's import) into
// OUTDIR/*.png, for a look at texts, bars and pictures. Without a handheld it photographs
// nothing and fails. Run it on a virtual display: scripts/screenshots.sh. The Windows build's runs
// under wine, where kiroconv_wine_driver starts its handheld and takes the photographs
// (scripts/screenshots.sh --windows).
#include <wx/app.h>
#include <wx/gauge.h>
#include <wx/listctrl.h>
#include <wx/stattext.h>
#include <wx/timer.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#endif

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "FrameFixture.h"
#include "commands/CommandIds.h"
#include "conversion/ConvertFile.h"
#include "conversion/ConvertLocalFiles.h"
#include "devicelink/ConnectionTexts.h"
#include "devicelink/DeviceLink.h"
#include "sim/SimProcess.h"
#include "support/DriverRequests.h"
#include "ui/AboutDlg.h"
#include "ui/KiroConvApp.h"
#include "ui/KiroConvView.h"
#include "ui/LeftView.h"
#include "ui/PreviewPane.h"
#include "ui/WxText.h"
#include "ui/devicelink/CreateDirDlg.h"
#include "ui/log/NewLogFileDlg.h"
#include "ui/transfer/ExistingFileDlg.h"
#include "ui/transfer/TransferDlg.h"

namespace {

using namespace kiro;

void Settle();

// The user's folder of spectra, as the system names such a folder.
#ifdef _WIN32
const std::string kUserFolder = "C:\\Users\\user\\Documents\\Spectra";
#else
const std::string kUserFolder = "/home/user/Spectra";
#endif

std::string UserFile(const std::string& name) {
    return kUserFolder + (kUserFolder.front() == '/' ? "/" : "\\") + name;
}

#ifdef _WIN32
// Under wine the driver starts the handheld, and can end it.
std::unique_ptr<test::CSimProcess> g_handheld;
std::unique_ptr<test::CSocketEnvironment> g_handheldPlace;

bool HandheldReachable() {
    g_handheld = std::make_unique<test::CSimProcess>();
    if (!g_handheld->Running()) {
        return false;
    }
    g_handheldPlace = std::make_unique<test::CSocketEnvironment>(g_handheld->SocketPath());
    return true;
}

bool EndHandheld() {
    g_handheld->Kill();
    return true;
}

// Wine copies what the program drew onto the display only while the program waits for
// messages, which Settle never does: a photograph would show a dialog before its controls
// were painted (black) and the window as it was before the handheld was listed.
void ShowWhatWasDrawn() {
    ::GdiFlush();
    const ULONGLONG until = ::GetTickCount64() + 150;
    while (::GetTickCount64() < until) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 25, QS_ALLINPUT);
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
}

// The box with its safe answer: No where it has one, else Cancel, else OK. Escape does
// not close a Windows message box of Yes and No.
void CloseMessageBox() {
    const HWND box = ::GetActiveWindow();
    for (const int answer : {IDNO, IDCANCEL, IDOK}) {
        if (::GetDlgItem(box, answer) != nullptr) {
            ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
            return;
        }
    }
}

bool TakePhotograph(const wxRect& rect, const std::string& file) {
    ShowWhatWasDrawn();
    const std::vector<std::string> answer =
        test::AskDriver({"photograph", std::to_string(rect.x), std::to_string(rect.y),
                         std::to_string(rect.width), std::to_string(rect.height), file});
    return !answer.empty() && answer.front() == "ok";
}
#else
bool HandheldReachable() {
    return std::getenv("KIROSCAN_SOCKET") != nullptr;
}

bool EndHandheld() {
    const char* handheldPid = std::getenv("KIROSCAN_SIM_PID");
    return handheldPid != nullptr && ::kill(std::atoi(handheldPid), SIGKILL) == 0;
}

// Escape gives a GTK message box its safe answer, No or Cancel.
void CloseMessageBox() {
    wxUIActionSimulator().Char(WXK_ESCAPE);
}

bool TakePhotograph(const wxRect& rect, const std::string& file) {
    const std::string command = "import -window root -crop " + std::to_string(rect.width) + "x" +
                                std::to_string(rect.height) + "+" + std::to_string(rect.x) + "+" +
                                std::to_string(rect.y) + " +repage '" + file + "'";
    return std::system(command.c_str()) == 0;
}
#endif

// Connects to the emulated handheld and lists My Documents, as a user would.
bool ShowRealHandheld(CMainFrame& frame) {
    if (!HandheldReachable()) {
        return false;
    }
    frame.UpdateWindowUI(wxUPDATE_UI_RECURSE);
    frame.ProcessCommand(WxCommandId(kIdConnect));
    if (frame.GetConnectState() != ConnectState::Connected) {
        return false;
    }
    test::SelectDeviceFolder(frame, "My Documents");
    Settle();
    CKiroConvView& list = *frame.GetListView();
    for (long item = 0; item < list.GetItemCount() && item < 3; ++item) {
        list.SetItemState(item, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    }
    return true;
}

// The spectrum preview below the list, with the handheld's absorbance spectrum, then
// its scope, dark and reference overlaid, then the scope and the absorbance on two axes
// with the transmission left out. The
// preview is put away again afterwards.
template <class Photograph>
void PhotographPreview(CMainFrame& frame, const Photograph& photograph) {
    frame.UpdateWindowUI(wxUPDATE_UI_RECURSE);
    frame.ProcessCommand(WxCommandId(kIdListDetails));
    frame.ProcessCommand(WxCommandId(kIdSpectrumPreview));
    test::SelectListedFiles(frame, {"dye-mix.absorbance_ks"});
    photograph(&frame, "preview-absorbance");
    test::SelectListedFiles(frame, {"lamp.scope_ks", "dark.dark_ks", "reference.reference_ks"});
    photograph(&frame, "preview-overlay");
    test::SelectListedFiles(frame,
                            {"lamp.scope_ks", "dye-mix.absorbance_ks", "dye-mix.transmission_ks"});
    photograph(&frame, "preview-units");
    frame.ProcessCommand(WxCommandId(kIdSpectrumPreview));
    test::SelectListedFiles(frame, {});
}

void Settle() {
    for (int round = 0; round < 10; ++round) {
        wxTheApp->ProcessPendingEvents();
        wxYield();
        wxTheApp->ProcessIdle();
        wxMilliSleep(30);
    }
}

// A transfer dialog over the window, its job not connected: it shows, and runs nothing.
std::unique_ptr<CTransferDlg> TransferDialogOver(CMainFrame& frame) {
    return std::make_unique<CTransferDlg>(
        &frame,
        TransferDialogContext{{frame.GetDeviceLink(), frame.GetTreeView()->DeviceTree(),
                               frame.GetListView()->FileList(), frame.GetActivityLog(),
                               frame.GetClock(), frame.GetUserName(), frame.GetStatusPane()},
                              ConnectState::NotConnected,
                              TransferSettings{}});
}

// The dialogs, each shown without its modal loop as it first appears.
template <class Photograph>
void PhotographDialogs(CMainFrame& frame, const Photograph& photograph) {
    const auto show = [&photograph](wxDialog& dialog, const std::string& name) {
        dialog.InitDialog();
        dialog.Show();
        photograph(&dialog, name);
        dialog.Hide();
    };
    {
        CCreateDirDlg dialog(&frame);
        dialog.m_strRoot = "\\My Documents";
        dialog.m_strNewName = "Run 8";
        show(dialog, "dialog-create-directory");
    }
    {
        CNewLogFileDlg dialog(&frame, frame.GetFileDialogs());
        dialog.m_strCurrentLogName = UserFile("LogFile.log");
        dialog.m_strNewLogName = dialog.m_strCurrentLogName;
        show(dialog, "dialog-new-log-file");
    }
    {
        CAboutDlg dialog(&frame);
        show(dialog, "dialog-about");
    }
    {
        const auto dialog = TransferDialogOver(frame);
        show(*dialog, "dialog-transfer");
    }
    {
        ExistingFileQuestion question;
        question.path = UserFile("leaf-01.sample_ks");
        question.existingSize = 8254;
        question.existingDate = "12/5/2026  5:47:05 PM";
        question.newSize = 8254;
        question.newDate = "12/7/2026  9:12:44 AM";
        CExistingFileDlg dialog(&frame, question);
        show(dialog, "dialog-file-already-exists");
    }
}

// The transfer dialog as it looks half-way through a job: its controls set as the job
// sets them, photographed before its start timer runs the job.
template <class Photograph>
void PhotographTransferMidJob(CMainFrame& frame, const Photograph& photograph) {
    const auto owned = TransferDialogOver(frame);
    CTransferDlg& dialog = *owned;
    dialog.InitDialog();
    dialog.Show();
    dynamic_cast<wxStaticText&>(*dialog.FindWindow(CTransferDlg::kIdStatus))
        .SetLabel(ToWx("Copying \\My Documents\\leaf.absorbance_ks to " + kUserFolder +
                       "\\leaf.absorbance_ks"));
    auto& file = dynamic_cast<wxGauge&>(*dialog.FindWindow(CTransferDlg::kIdFileProgress));
    file.SetRange(3);
    file.SetValue(2);
    auto& total = dynamic_cast<wxGauge&>(*dialog.FindWindow(CTransferDlg::kIdTotalProgress));
    total.SetRange(5);
    total.SetValue(3);
    photograph(&dialog, "dialog-transfer-mid-job");
    dialog.Hide();
}

// Photographs a message box once it is up, then closes it with its safe answer.
class CBoxPhotographer final : public wxTimer {
public:
    explicit CBoxPhotographer(std::function<void()> photograph)
        : m_photograph(std::move(photograph)) {}
    void Notify() override {
        m_photograph();
        CloseMessageBox();
    }

private:
    std::function<void()> m_photograph;
};

// Each kind of message box over the main window: the connection boxes, the questions
// and the lists of failures. The questions come from the real commands, against the
// real handheld; the others are shown with the texts the program builds for them.
template <class Snap>
void PhotographMessageBoxes(CMainFrame& frame, const Snap& snap) {
    const auto box = [&frame, &snap](const std::string& name, const std::function<void()>& raise) {
        CBoxPhotographer photographer([&] { snap(&frame, name); });
        photographer.StartOnce(700);
        raise();
        Settle();
    };
    IMessageBox& messageBox = frame.GetMessageBox();
    box("box-connect-timeout",
        [&] { messageBox.Show(ConnectFailureMessage(ConnectOutcome::TimedOut)); });
    box("box-connect-failed",
        [&] { messageBox.Show(ConnectFailureMessage(ConnectOutcome::GeneralFailure)); });
    box("box-overwrite", [&] {
        messageBox.Show({"File " + UserFile("lamp.txt") + " exists.  Overwrite?",
                         "File Overwrite Warning", MessageButtons::YesNo, MessageAnswer::Yes,
                         MessageOwner::MainWindow});
    });
    box("box-directory-creation-failed", [&] {
        messageBox.Show({"Directory creation failed", "Error", MessageButtons::Ok,
                         MessageAnswer::Ok, MessageOwner::MainWindow});
    });
    box("box-local-files-not-converted", [&] {
        const std::vector<LocalConversion> conversions = {
            {UserFile("notes.txt"), {ConversionStatus::NotDeviceSpectrum, 0, "", ""}},
            {UserFile("lamp.scope_ks"), {ConversionStatus::OutputCannotBeCreated, ENOSPC, "", ""}},
            {UserFile("nir.method_ks"), {ConversionStatus::KindNotConvertible, 0, "", ""}}};
        messageBox.Show({FormatLocalConversionFailures(conversions), "", MessageButtons::Ok,
                         MessageAnswer::Ok, MessageOwner::Application});
    });
    if (frame.GetActivityLog().IsOpen()) {
        box("box-clear-log", [&] { frame.ProcessCommand(WxCommandId(kIdClearLog)); });
    }
    // The preview left nothing selected.
    test::SelectListedFiles(frame, {"lamp.scope_ks", "dark.dark_ks"});
    box("box-delete-files", [&] { frame.ProcessCommand(WxCommandId(kIdDeleteFiles)); });
    test::SelectListedFiles(frame, {});
    box("box-delete-nothing-selected", [&] { frame.ProcessCommand(WxCommandId(kIdDeleteFiles)); });
    // The handheld goes away; the next listing finds it gone.
    if (EndHandheld()) {
        wxMilliSleep(200);
        CLeftView& tree = *frame.GetTreeView();
        const wxTreeItemId last = tree.GetLastChild(test::DeviceItem(frame));
        box("box-connection-lost", [&] { tree.SelectItem(last); });
    }
}

class CScreenshotApp final : public CKiroConvApp {
public:
    bool OnInit() override {
        if (argc != 2 && argc != 3) {
            std::fprintf(stderr, "usage: kiroconv_screenshots [--connected-only] OUTDIR\n");
            return false;
        }
        const bool connectedOnly = argc == 3 && argv[1] == "--connected-only";
        const std::string out = argv[argc - 1].utf8_string();
        // A failed check is reported, never shown in a box that nobody answers.
        wxSetAssertHandler([](const wxString& file, int line, const wxString&, const wxString& cond,
                              const wxString& message) {
            std::fprintf(stderr, "%s:%d: assert %s %s\n", file.utf8_string().c_str(), line,
                         cond.utf8_string().c_str(), message.utf8_string().c_str());
        });
        test::WaitForWindowManager(10);
        InitResources();
        auto* frame = new CMainFrame(GetSettingsStore(), kUserFolder);
        frame->ShowAtStartup();
        Settle();
        const bool connected = ShowRealHandheld(*frame);
        int failures = 0;
        // Photographs what is on the screen over the window, without waiting for events:
        // a message box runs its own loop.
        const auto snap = [&failures, &out](wxWindow* window, const std::string& name) {
            failures += !TakePhotograph(window->GetScreenRect(), out + "/" + name + ".png");
        };
        const auto photograph = [&snap](wxWindow* window, const std::string& name) {
            Settle();
            snap(window, name);
        };
        const std::pair<int, const char*> styles[] = {{kIdListLargeIcons, "main-large-icons"},
                                                      {kIdListDetails, "main-details"},
                                                      {kIdListSmallIcons, "main-small-icons"},
                                                      {kIdListList, "main-list"}};
        if (!connected) {
            std::fprintf(stderr, "kiroconv_screenshots: no handheld to connect to\n");
        } else if (connectedOnly) {
            frame->UpdateWindowUI(wxUPDATE_UI_RECURSE);
            frame->ProcessCommand(WxCommandId(kIdListDetails));
            photograph(frame, "kiroconv-window");
        } else {
            for (const auto& [command, name] : styles) {
                frame->UpdateWindowUI(wxUPDATE_UI_RECURSE);
                frame->ProcessCommand(WxCommandId(command));
                photograph(frame, name);
            }
            PhotographPreview(*frame, photograph);
            PhotographDialogs(*frame, photograph);
            PhotographTransferMidJob(*frame, photograph);
            PhotographMessageBoxes(*frame, snap);
        }
        frame->Close(true);
        Settle();
        m_result = connected && failures == 0 ? 0 : 1;
        return true;
    }
    // Everything happened in OnInit; no event loop to run.
    int OnRun() override { return m_result; }

private:
    int m_result = 1;
};

}  // namespace

wxIMPLEMENT_APP_NO_MAIN(CScreenshotApp);

int main(int argc, char** argv) {
#ifndef _WIN32
    setenv("GSETTINGS_BACKEND", "memory", 1);
#endif
    return wxEntry(argc, argv);
}
