// The desktop program's start-up and its file list, timed on a display (a virtual one:
// tests/ui/run-under-xvfb.sh build/bench/kiroconv_gui_bench). Figures for notes only.
//
//  1. Start-up: from starting a fresh process (empty settings file, new HOME) to the
//     main window's first idle event; the median of five runs.
//  2. The file list filled with 10,000 items (label, picture, three texts) in each of
//     the four styles: the fill itself, then the fill shown (layout and paint), and the
//     resident memory afterwards.
#include <wx/app.h>
#include <wx/fileconf.h>
#include <wx/utils.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "ToolkitStart.h"
#include "ui/KiroConvApp.h"
#include "ui/KiroConvView.h"
#include "ui/MainFrame.h"
#include "ui/WxSettingsStore.h"

namespace {

using namespace kiro;

double RealTimeSeconds() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

std::string MakeTempHome() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "kiroconv-bench-XXXXXX").string();
    return mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
}

// The child of a start-up run: the program's own start, then the time of its first idle.
class CStartupApp final : public CKiroConvApp {
public:
    bool OnInit() override {
        if (!CKiroConvApp::OnInit()) {
            return false;
        }
        Bind(wxEVT_IDLE, [](wxIdleEvent&) {
            std::printf("%.6f\n", RealTimeSeconds());
            std::fflush(stdout);
            _exit(0);
        });
        return true;
    }
};

double TimeOneStartup(const char* self) {
    const std::string home = MakeTempHome();
    const std::string command = "HOME='" + home + "' XDG_CONFIG_HOME='" + home +
                                "/.config' KIROCONV_BENCH_STARTUP_CHILD=1 '" + self + "'";
    const double started = RealTimeSeconds();
    FILE* child = popen(command.c_str(), "r");
    double idle = 0;
    const bool read = child != nullptr && std::fscanf(child, "%lf", &idle) == 1;
    if (child != nullptr) {
        pclose(child);
    }
    std::filesystem::remove_all(home);
    return read ? idle - started : -1;
}

void Settle() {
    for (int round = 0; round < 3; ++round) {
        wxTheApp->ProcessPendingEvents();
        wxYield();
        wxTheApp->ProcessIdle();
    }
}

long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::atol(line.c_str() + 6);
        }
    }
    return -1;
}

void TimeListFills() {
    const std::string home = MakeTempHome();
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
    auto config = CreateUserConfig();
    CWxSettingsStore store(*config);
    auto* frame = new CMainFrame(store, home);
    frame->ShowAtStartup();
    Settle();
    CKiroConvView& list = *frame->GetListView();

    // Names in the order a folder listing delivers them: not sorted.
    std::vector<int> order(10000);
    std::iota(order.begin(), order.end(), 0);
    std::shuffle(order.begin(), order.end(), std::mt19937(42));
    const char* styles[] = {"Large Icons", "Details", "Small Icons", "List"};
    for (const int style : {0, 1, 2, 3}) {
        list.FileList().DeleteAllItems();
        list.SetStyleType(style);
        Settle();
        const auto start = std::chrono::steady_clock::now();
        for (const int n : order) {
            char name[40];
            std::snprintf(name, sizeof name, "Spectrum %05d.scope_ks", n);
            const int item = list.FileList().InsertItem(name, 5);
            list.FileList().SetItemText(item, 1, "Kiro-SCAN File");
            list.FileList().SetItemText(item, 2, "8254 bytes");
            list.FileList().SetItemText(item, 3, "12/10/2025  8:8:47 PM");
        }
        list.ShowPendingItems();
        const auto filled = std::chrono::steady_clock::now();
        list.Update();
        Settle();
        list.Update();
        const auto shown = std::chrono::steady_clock::now();
        std::printf("fill 10,000 items, %-11s  %6.3f s   shown %6.3f s\n", styles[style],
                    std::chrono::duration<double>(filled - start).count(),
                    std::chrono::duration<double>(shown - start).count());
    }
    std::printf("resident memory after the fills: %.1f MiB\n",
                static_cast<double>(ResidentKiB()) / 1024.0);
    frame->Close(true);
    Settle();
    config.reset();
    std::filesystem::remove_all(home);
}

}  // namespace

wxIMPLEMENT_APP_NO_MAIN(CStartupApp);

int main(int argc, char** argv) {
    setenv("GSETTINGS_BACKEND", "memory", 1);
    if (getenv("KIROCONV_BENCH_STARTUP_CHILD") != nullptr) {
        return wxEntry(argc, argv);
    }
    std::vector<double> startups;
    for (int run = 0; run < 5; ++run) {
        startups.push_back(TimeOneStartup(argv[0]));
        std::printf("start-up to first idle, run %d: %.3f s\n", run + 1, startups.back());
    }
    std::sort(startups.begin(), startups.end());
    std::printf("start-up to first idle, median of 5: %.3f s\n", startups[2]);

    if (!kiro::bench::StartToolkit(new wxApp, argv)) {
        return 1;
    }
    TimeListFills();
    wxEntryCleanup();
    return 0;
}
