// The handheld workflow in the desktop program, timed on a display (a virtual one:
// tests/ui/run-under-xvfb.sh build/bench/kiroconv_workflow_bench), against kiroscan-sim
// serving a folder made for the purpose. Figures for notes only.
//
//  1. Connect until the root folder is listed (the handheld already running).
//  2. Selecting a folder of 10,000 files until the list shows them, in Details.
//  3. Go with 1,000 spectra and Copy and Convert until the dialog has closed, and the
//     job within it, in pairs with `kiroconv-cli transfer -a copy-convert` of the same
//     files (A B B A A B ...).
// The first run of each is the cold figure (a fresh process); the median of the runs is
// given beside it.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wx/app.h>
#include <wx/choice.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "ToolkitStart.h"
#include "commands/CommandIds.h"
#include "testdata/DeviceFileWriter.h"
#include "transfer/TransferActions.h"
#include "ui/KiroConvApp.h"
#include "ui/KiroConvView.h"
#include "ui/LeftView.h"
#include "ui/MainFrame.h"
#include "ui/PreviewPane.h"
#include "ui/WxSettingsStore.h"
#include "ui/transfer/TargetBar.h"
#include "ui/transfer/TransferDlg.h"

namespace {

namespace fs = std::filesystem;
using namespace kiro;
using Clock = std::chrono::steady_clock;

constexpr int kRuns = 5;
constexpr int kBatchFiles = 1000;

double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double CpuSeconds(const rusage& usage) {
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The whole process: the toolkit's own threads too.
double OwnCpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return CpuSeconds(usage);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void Report(const char* what, const std::vector<double>& runs) {
    std::printf("%-52s cold %6.3f s   median of %zu %6.3f s   (", what, runs.front(), runs.size(),
                Median(runs));
    for (const double run : runs) {
        std::printf(" %.3f", run);
    }
    std::printf(" )\n");
}

void Settle() {
    for (int round = 0; round < 3; ++round) {
        wxTheApp->ProcessPendingEvents();
        wxYield();
        wxTheApp->ProcessIdle();
    }
}

void MakeHandheld(const fs::path& root) {
    fs::create_directories(root / "Many");
    for (int i = 0; i < 10000; ++i) {
        char name[40];
        std::snprintf(name, sizeof name, "Spectrum %05d.scope_ks", (i * 7919) % 10000);
        std::ofstream(root / "Many" / name) << "x";
    }
    fs::create_directories(root / "Batch");
    for (int i = 0; i < kBatchFiles; ++i) {
        testdata::MakeLampSpectrum(static_cast<unsigned>(i))
            .WriteTo(root / "Batch" / ("lamp-" + std::to_string(1000 + i) + ".scope_ks"));
    }
}

// Starts a program with its standard output thrown away.
pid_t Spawn(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (auto& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return failed == 0 ? pid : -1;
}

wxTreeItemId ChildNamed(CLeftView& tree, wxTreeItemId parent, const wxString& name) {
    wxTreeItemIdValue cookie;
    for (wxTreeItemId child = tree.GetFirstChild(parent, cookie); child.IsOk();
         child = tree.GetNextChild(parent, cookie)) {
        if (tree.wxTreeCtrl::GetItemText(child) == name) {
            return child;
        }
    }
    return {};
}

wxTreeItemId DeviceItem(CLeftView& tree) {
    wxTreeItemIdValue cookie;
    return tree.GetFirstChild(tree.GetRootItem(), cookie);
}

// Notes when the transfer dialog's start timer fires, which is when its job starts.
class CJobStartWatch final : public wxEventFilter {
public:
    CJobStartWatch() { wxEvtHandler::AddFilter(this); }
    ~CJobStartWatch() override { wxEvtHandler::RemoveFilter(this); }
    int FilterEvent(wxEvent& event) override {
        if (event.GetEventType() == wxEVT_TIMER && event.GetId() == CTransferDlg::kStartTimerId) {
            started = Clock::now();
        }
        return Event_Skip;
    }

    Clock::time_point started;
};

class CWorkflowBench {
public:
    CWorkflowBench(CMainFrame& frame, fs::path tools, fs::path work)
        : m_frame(frame), m_tools(std::move(tools)), m_work(std::move(work)) {}

    void TimeConnect() {
        std::vector<double> runs;
        for (int run = 0; run < kRuns; ++run) {
            const auto start = Clock::now();
            Command(kIdConnect);
            m_frame.GetListView()->ShowPendingItems();
            Settle();
            runs.push_back(Since(start));
            if (m_frame.GetConnectState() != ConnectState::Connected) {
                std::fprintf(stderr, "could not connect\n");
                std::exit(1);
            }
            if (run + 1 < kRuns) {
                Command(kIdConnect);
            }
        }
        Report("connect until the root folder is listed", runs);
    }

    void TimeLargeFolder() {
        CLeftView& tree = *m_frame.GetTreeView();
        CKiroConvView& list = *m_frame.GetListView();
        Command(kIdListDetails);
        std::vector<double> runs;
        for (int run = 0; run < kRuns; ++run) {
            tree.wxTreeCtrl::SelectItem(DeviceItem(tree));
            Settle();
            const auto start = Clock::now();
            tree.wxTreeCtrl::SelectItem(ChildNamed(tree, DeviceItem(tree), "Many"));
            list.ShowPendingItems();
            list.Update();
            runs.push_back(Since(start));
            Settle();
        }
        Report("select a folder of 10,000 files (Details)", runs);
    }

    void TimeGo() {
        auto* actions = m_frame.GetTargetBar()->GetActionList();
        actions->SetSelection(kActionCopyAndConvert);
        wxCommandEvent changed(wxEVT_CHOICE, actions->GetId());
        changed.SetEventObject(actions);
        actions->ProcessWindowEvent(changed);
        CJobStartWatch jobStart;
        std::vector<double> window;
        std::vector<double> job;
        std::vector<double> cli;
        std::vector<double> windowCpu;
        for (int run = 0; run < kRuns; ++run) {
            // Every other pair the other way round, so that neither side always comes
            // first to a disk still busy with the one before.
            if (run % 2 == 1) {
                cli.push_back(TimeCommandLine(run));
            }
            SelectBatch();
            m_frame.GetTargetBar()->GetTargetEdit()->SetValue(FreshFolder("window", run).string());
            const double cpuBefore = OwnCpuSeconds();
            const auto start = Clock::now();
            Command(kIdGo);
            window.push_back(Since(start));
            windowCpu.push_back(OwnCpuSeconds() - cpuBefore);
            job.push_back(Since(jobStart.started));
            if (run % 2 == 0) {
                cli.push_back(TimeCommandLine(run));
            }
        }
        Report("Go: 1,000 spectra, Copy and Convert", window);
        Report("  of which the job, after the dialog's 0.5 s wait", job);
        Report("kiroconv-cli transfer -a copy-convert, same files", cli);
        std::printf("ratio of the medians: Go %.2f, its job %.2f\n", Median(window) / Median(cli),
                    Median(job) / Median(cli));
        // Processor time does not depend on what else the machine is doing.
        Report("processor time (user + system): the window's Go", windowCpu);
        Report("processor time (user + system): kiroconv-cli", m_cliCpu);
    }

    // The preview: a handheld spectrum selected until it is drawn, then drawing alone.
    void TimePreview() {
        Command(kIdSpectrumPreview);
        SelectBatch();
        CKiroConvView& list = *m_frame.GetListView();
        CSpectrumPreview& preview = *m_frame.GetPreview();
        for (const int count : {1, 8}) {
            std::vector<double> selectToDrawn;
            std::vector<double> drawOnly;
            for (int run = 0; run < kRuns; ++run) {
                for (long item = 0; item < list.GetItemCount(); ++item) {
                    list.SetItemState(item, 0, wxLIST_STATE_SELECTED);
                }
                Settle();
                const auto start = Clock::now();
                for (int k = 0; k < count; ++k) {
                    list.SetItemState(run * count + k, wxLIST_STATE_SELECTED,
                                      wxLIST_STATE_SELECTED);
                }
                wxTheApp->ProcessPendingEvents();
                preview.Update();
                selectToDrawn.push_back(Since(start));
                const auto drawStart = Clock::now();
                preview.Refresh();
                preview.Update();
                drawOnly.push_back(Since(drawStart));
            }
            const std::string what = count == 1 ? "one handheld spectrum" : "8 handheld spectra";
            Report(("preview: select " + what + " until drawn").c_str(), selectToDrawn);
            Report(("preview: draw " + what + " again").c_str(), drawOnly);
        }
        Command(kIdSpectrumPreview);
    }

private:
    void Command(int id) {
        m_frame.UpdateWindowUI(wxUPDATE_UI_RECURSE);
        m_frame.ProcessCommand(WxCommandId(id));
    }

    fs::path FreshFolder(const std::string& kind, int run) {
        const fs::path folder = m_work / (kind + "-" + std::to_string(run));
        fs::create_directories(folder);
        return folder;
    }

    std::vector<std::string> SelectBatch() {
        CLeftView& tree = *m_frame.GetTreeView();
        CKiroConvView& list = *m_frame.GetListView();
        tree.wxTreeCtrl::SelectItem(ChildNamed(tree, DeviceItem(tree), "Batch"));
        Settle();
        std::vector<std::string> names;
        for (long item = 0; item < list.GetItemCount(); ++item) {
            list.SetItemState(item, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
            names.push_back(list.wxListCtrl::GetItemText(item).utf8_string());
        }
        return names;
    }

    // The handheld serves one program at a time: the window lets go while the command
    // line runs.
    double TimeCommandLine(int run) {
        const std::vector<std::string> names = SelectBatch();
        Command(kIdConnect);
        const double seconds = RunCommandLine(FreshFolder("cli", run), names);
        Command(kIdConnect);
        return seconds;
    }

    double RunCommandLine(const fs::path& target, const std::vector<std::string>& names) {
        std::vector<std::string> args = {(m_tools / "kiroconv-cli").string(),
                                         "transfer",
                                         "-a",
                                         "copy-convert",
                                         "--to",
                                         target.string(),
                                         "/Batch"};
        args.insert(args.end(), names.begin(), names.end());
        const auto start = Clock::now();
        const pid_t pid = Spawn(args);
        int status = 0;
        rusage usage{};
        ::wait4(pid, &status, 0, &usage);
        m_cliCpu.push_back(CpuSeconds(usage));
        return Since(start);
    }

    CMainFrame& m_frame;
    std::vector<double> m_cliCpu;
    fs::path m_tools;
    fs::path m_work;
};

}  // namespace

int main(int argc, char** argv) {
    setenv("GSETTINGS_BACKEND", "memory", 1);
    const fs::path tools =
        argc > 1 ? fs::path(argv[1])
                 : fs::canonical("/proc/self/exe").parent_path().parent_path() / "tools";
    std::string pattern = (fs::temp_directory_path() / "kiroconv-workflow-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        return 1;
    }
    const fs::path work = pattern;
    MakeHandheld(work / "handheld");
    const std::string socket = (work / "kiroscan.sock").string();
    setenv("KIROSCAN_SOCKET", socket.c_str(), 1);
    setenv("HOME", work.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (work / ".config").c_str(), 1);
    const pid_t sim = Spawn({(tools / "kiroscan-sim").string(), "--root",
                             (work / "handheld").string(), "--socket", socket});
    for (int i = 0; i < 500 && !fs::exists(socket); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }

    if (!kiro::bench::StartToolkit(new CKiroConvApp, argv)) {
        return 1;
    }
    {
        auto config = CreateUserConfig();
        CWxSettingsStore store(*config);
        auto* frame = new CMainFrame(store, work.string());
        frame->ShowAtStartup();
        Settle();
        CWorkflowBench bench(*frame, tools, work);
        bench.TimeConnect();
        bench.TimeLargeFolder();
        bench.TimePreview();
        bench.TimeGo();
        frame->Close(true);
        Settle();
    }
    wxEntryCleanup();
    ::kill(sim, SIGTERM);
    ::waitpid(sim, nullptr, 0);
    fs::remove_all(work);
    return 0;
}
