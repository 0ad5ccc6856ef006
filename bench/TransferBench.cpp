// What a user waits for when working with the handheld, against kiroscan-sim started
// here (a handheld that has served a few clients before anything is timed):
//
// - cold: a fresh `kiroconv-cli get` of a 16 MiB handheld file against a fresh `cp` of
//   the same file, and a fresh `kiroconv-cli ls -l` of a folder of 10,000 files against
//   a fresh `ls -l` of the folder it serves; medians of paired runs (A B A B ...);
// - warm: the same copy and listing repeated in one process (TransferFile in 4096-byte
//   chunks, FillFileList), medians.
//
//   kiroconv_transfer_bench [ROUNDS [TOOLS_DIR]]
//
// TOOLS_DIR holds the kiroconv-cli and kiroscan-sim to time (default: this build's).
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "ProcessTiming.h"
#include "devicelink/DeviceLink.h"
#include "devicelink/MemoryControls.h"
#include "devicelink/RapiRemoteApi.h"

namespace fs = std::filesystem;
using kiro::bench::Median;
using kiro::bench::PairedFigures;
using kiro::bench::RunPairs;
using kiro::bench::TimedRun;

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kBigFileBytes = 16u << 20;
constexpr int kListedFiles = 10000;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

class CSilentBox final : public kiro::IMessageBox {
public:
    kiro::MessageAnswer Show(const kiro::MessageBoxRequest& r) override { return r.defaultAnswer; }
};

void MakeHandheld(const fs::path& root) {
    fs::create_directories(root / "Many");
    std::ofstream big(root / "big.bin", std::ios::binary);
    std::string block(1 << 20, '\0');
    for (std::size_t i = 0; i < block.size(); ++i) {
        block[i] = static_cast<char>(i * 131 + 7);
    }
    for (std::size_t done = 0; done < kBigFileBytes; done += block.size()) {
        big.write(block.data(), static_cast<std::streamsize>(block.size()));
    }
    for (int i = 0; i < kListedFiles; ++i) {
        std::ofstream(root / "Many" / ("spectrum-" + std::to_string(i) + ".scope_ks")) << "x";
    }
}

bool SameBytes(const fs::path& a, const fs::path& b) {
    std::ifstream left(a, std::ios::binary);
    std::ifstream right(b, std::ios::binary);
    return std::equal(std::istreambuf_iterator<char>(left), std::istreambuf_iterator<char>(),
                      std::istreambuf_iterator<char>(right), std::istreambuf_iterator<char>());
}

struct WarmFigures {
    double transfer = 0;
    double list = 0;
    double find = 0;
    bool failed = false;
};

// The same copy and listing repeated in this process, through one connection.
WarmFigures MeasureWarm(const fs::path& pcFolder, int rounds) {
    kiro::CRapiRemoteApi api;
    CSilentBox box;
    kiro::CDeviceLink link(api, box);
    WarmFigures figures;
    if (link.Connect() != kiro::kConnectOk) {
        figures.failed = true;
        return figures;
    }
    std::vector<double> transfers;
    std::vector<double> lists;
    std::vector<double> finds;
    for (int round = 0; round < rounds; ++round) {
        fs::remove(pcFolder / "warm.bin");
        auto start = Clock::now();
        const auto copied =
            link.TransferFile(u"\\", u"big.bin", pcFolder.string(), "warm.bin", 4096, nullptr);
        transfers.push_back(SecondsSince(start));
        figures.failed = figures.failed || copied != static_cast<std::int64_t>(kBigFileBytes);
        kiro::CMemoryFileList list;
        start = Clock::now();
        link.FillFileList(u"\\Many", list);
        lists.push_back(SecondsSince(start));
        figures.failed = figures.failed || list.GetItemCount() != kListedFiles;
        kiro::rapi::DWORD count = 0;
        kiro::rapi::CE_FIND_DATA* entries = nullptr;
        start = Clock::now();
        api.CeFindAllFiles(u"\\Many\\*", kiro::kListFindFlags, &count, &entries);
        finds.push_back(SecondsSince(start));
        api.CeRapiFreeBuffer(entries);
    }
    link.Disconnect();
    figures.transfer = Median(transfers);
    figures.list = Median(lists);
    figures.find = Median(finds);
    return figures;
}

void PrintCold(const char* what, const char* ours, const char* yardstick, const PairedFigures& f) {
    std::printf("%-28s cold  %-22s %8.4f s   %-10s %8.4f s   ratio %5.2f%s\n", what, ours, f.a,
                yardstick, f.b, f.ratio, f.failed ? "  (a run failed)" : "");
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 11;
    const fs::path tools =
        argc > 2 ? fs::path(argv[2]) : fs::path(argv[0]).parent_path() / "../tools";
    const std::string cli = (tools / "kiroconv-cli").string();
    const fs::path work =
        fs::temp_directory_path() / ("kiroconv-transfer-" + std::to_string(getpid()));
    const fs::path handheld = work / "handheld";
    const fs::path pc = work / "pc";
    MakeHandheld(handheld);
    fs::create_directories(pc);
    const std::string socket = (work / "h.sock").string();
    const pid_t sim = kiro::bench::StartListener(
        {(tools / "kiroscan-sim").string(), "--root", handheld.string(), "--socket", socket},
        socket);
    ::setenv("KIROSCAN_SOCKET", socket.c_str(), 1);

    const std::vector<std::string> get = {cli, "get", "/", "big.bin", "--to", pc.string()};
    const std::vector<std::string> cp = {"cp", (handheld / "big.bin").string(),
                                         (pc / "cp.bin").string()};
    const std::vector<std::string> listOurs = {cli, "ls", "-l", "/Many"};
    const std::vector<std::string> listPlain = {"ls", "-l", (handheld / "Many").string()};
    // A handheld in use has served clients before.
    for (int i = 0; i < 3; ++i) {
        fs::remove(pc / "big.bin");
        TimedRun(get);
        TimedRun(listOurs);
    }
    if (!SameBytes(pc / "big.bin", handheld / "big.bin")) {
        std::fprintf(stderr, "the copy differs from the handheld's file\n");
    }
    const auto freshCopies = [&](int) {
        fs::remove(pc / "big.bin");
        fs::remove(pc / "cp.bin");
    };
    const PairedFigures copy = RunPairs(get, cp, rounds, freshCopies);
    const PairedFigures listing = RunPairs(listOurs, listPlain, rounds, [](int) {});
    const WarmFigures warm = MeasureWarm(pc, rounds);

    std::printf("medians of %d fresh-process pairs (cold) and of %d runs in one process (warm)\n",
                rounds, rounds);
    PrintCold("copy of 16 MiB", "kiroconv-cli get", "cp", copy);
    std::printf("%-28s warm  %-22s %8.4f s\n", "copy of 16 MiB", "TransferFile", warm.transfer);
    PrintCold("listing of 10,000 files", "kiroconv-cli ls -l", "ls -l", listing);
    std::printf("%-28s warm  %-22s %8.4f s   (of which the remote search %.4f s)%s\n",
                "listing of 10,000 files", "FillFileList", warm.list, warm.find,
                warm.failed ? "  (a run failed)" : "");
    ::kill(sim, SIGTERM);
    ::waitpid(sim, nullptr, 0);
    fs::remove_all(work);
    return 0;
}
