// Moves 1,000 small spectrum files with conversion from kiroscan-sim
// (`kiroconv-cli transfer --action move-convert`) against the sum of copying them
// (`kiroconv-cli get`) and converting them locally (`kiroconv-cli convert`), and
// against `transfer --action copy-convert`, which neither flushes the copies to disk
// nor deletes on the handheld: the difference is what a safe move costs. Every run
// is a fresh process; the rounds alternate the commands and the medians are shown.
//
//   kiroconv_move_bench [FILE_COUNT] [ROUNDS]
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "ProcessTiming.h"
#include "testdata/DeviceFileWriter.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

double Timed(const std::string& command) {
    const auto start = Clock::now();
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "failed: %.80s...\n", command.c_str());
    }
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::vector<std::string> FillFolder(const fs::path& folder, int count) {
    fs::create_directories(folder);
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) {
        names.push_back("s" + std::to_string(i) + ".scope_ks");
        kiro::testdata::MakeLampSpectrum(static_cast<unsigned>(i)).WriteTo(folder / names.back());
    }
    return names;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

std::string Joined(const std::vector<std::string>& names) {
    std::string text;
    for (const auto& name : names) {
        text += " " + name;
    }
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
    const fs::path tools = fs::path(argv[0]).parent_path() / "../tools";
    const fs::path work = fs::temp_directory_path() / ("kiroconv-move-" + std::to_string(getpid()));
    const fs::path root = work / "handheld";
    const std::string socket = (work / "h.sock").string();
    fs::create_directories(root);
    const pid_t sim = kiro::bench::StartListener(
        {(tools / "kiroscan-sim").string(), "--root", root.string(), "--socket", socket}, socket);
    ::setenv("KIROSCAN_SOCKET", socket.c_str(), 1);
    const std::string cli = (tools / "kiroconv-cli").string();

    std::vector<double> moves;
    std::vector<double> copyConverts;
    std::vector<double> gets;
    std::vector<double> converts;
    for (int round = 0; round < rounds; ++round) {
        const auto names = FillFolder(root / "Data", count);
        const fs::path moved = work / "moved";
        const fs::path copied = work / "copied";
        const fs::path converted = work / "converted";
        fs::create_directories(moved);
        fs::create_directories(copied);
        fs::create_directories(converted);
        ::sync();
        gets.push_back(Timed(cli + " get /Data" + Joined(names) + " --to " + copied.string() +
                             " > /dev/null"));
        converts.push_back(Timed(cli + " convert " + copied.string() + " > /dev/null"));
        ::sync();
        copyConverts.push_back(Timed(cli + " transfer -a copy-convert --to " + converted.string() +
                                     " /Data" + Joined(names) + " > /dev/null"));
        ::sync();
        moves.push_back(Timed(cli + " transfer -a move-convert --to " + moved.string() + " /Data" +
                              Joined(names) + " > /dev/null"));
        fs::remove_all(moved);
        fs::remove_all(copied);
        fs::remove_all(converted);
        fs::remove_all(root / "Data");
    }
    const double move = Median(moves);
    const double getConvert = Median(gets) + Median(converts);
    const double copyConvert = Median(copyConverts);
    std::printf("%d spectrum files, median of %d rounds, each run a fresh process\n", count,
                rounds);
    std::printf("transfer move-convert   %8.3f s\n", move);
    std::printf("transfer copy-convert   %8.3f s  (no flush, no deletion)\n", copyConvert);
    std::printf("get + convert           %8.3f s  (%.3f + %.3f)\n", getConvert, Median(gets),
                Median(converts));
    std::printf("move / (get + convert)  %8.2f\n", move / getConvert);
    std::printf("flush + delete cost     %8.3f s  (%.2f ms per file)\n", move - copyConvert,
                1000.0 * (move - copyConvert) / count);
    ::kill(sim, SIGTERM);
    ::waitpid(sim, nullptr, 0);
    fs::remove_all(work);
    return 0;
}
