// Converts 10,000 device files with `kiroconv-cli convert` in each format and, in the
// same run, copies the resulting output bytes with a plain file copy, to show what the
// conversion costs over just writing its bytes. Wall time on this kind of disk swings
// with writeback, so the CPU time (user + system) of both sides is shown as well.
//
//   kiroconv_batch_bench [FILE_COUNT]
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "testdata/DeviceFileWriter.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A plain copy, as cp does it: read the file, write it under a new name.
void PlainCopy(const fs::path& from, const fs::path& to) {
    char buffer[65536];
    const int in = ::open(from.c_str(), O_RDONLY);
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    ssize_t got;
    while ((got = ::read(in, buffer, sizeof buffer)) > 0) {
        if (::write(out, buffer, static_cast<std::size_t>(got)) != got) {
            break;
        }
    }
    ::close(in);
    ::close(out);
}

void WriteSources(const fs::path& folder, int count) {
    fs::create_directories(folder);
    for (int i = 0; i < count; ++i) {
        kiro::testdata::MakeLampSpectrum(static_cast<unsigned>(i))
            .WriteTo(folder / ("s" + std::to_string(i) + ".scope_ks"));
    }
}

void LinkSources(const fs::path& from, const fs::path& to) {
    fs::create_directories(to);
    for (const auto& entry : fs::directory_iterator(from)) {
        fs::create_hard_link(entry.path(), to / entry.path().filename());
    }
}

double CopyOutputs(const fs::path& folder, const fs::path& copies) {
    std::vector<fs::path> outputs;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() != ".scope_ks") {
            outputs.push_back(entry.path());
        }
    }
    fs::create_directories(copies);
    const auto start = Clock::now();
    for (const fs::path& output : outputs) {
        PlainCopy(output, copies / output.filename());
    }
    return SecondsSince(start);
}

}  // namespace

struct Timing {
    double convert = 1e9;
    double copy = 1e9;
    double convertCpu = 1e9;
    double copyCpu = 1e9;
    bool failed = false;
};

// User plus system time of this process (self) or of its waited-for children.
double CpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// One round: convert a fresh set of sources, then copy the outputs. Written data is
// synced first so that neither side pays for the other's writeback.
void MeasureRound(const fs::path& cli, const fs::path& work, const char* format, Timing& best) {
    const fs::path folder = work / format;
    const fs::path copies = work / (std::string(format) + "-copy");
    LinkSources(work / "sources", folder);
    ::sync();
    const std::string command =
        cli.string() + " convert --format " + format + " " + folder.string() + " > /dev/null";
    const double childrenBefore = CpuSeconds(RUSAGE_CHILDREN);
    const auto start = Clock::now();
    best.failed = best.failed || std::system(command.c_str()) != 0;
    best.convert = std::min(best.convert, SecondsSince(start));
    best.convertCpu = std::min(best.convertCpu, CpuSeconds(RUSAGE_CHILDREN) - childrenBefore);
    ::sync();
    const double selfBefore = CpuSeconds(RUSAGE_SELF);
    best.copy = std::min(best.copy, CopyOutputs(folder, copies));
    best.copyCpu = std::min(best.copyCpu, CpuSeconds(RUSAGE_SELF) - selfBefore);
    fs::remove_all(folder);
    fs::remove_all(copies);
}

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
    const fs::path cli = fs::path(argv[0]).parent_path() / "../tools/kiroconv-cli";
    const fs::path work =
        fs::temp_directory_path() / ("kiroconv-batch-" + std::to_string(getpid()));
    WriteSources(work / "sources", count);
    std::printf("%d device files per format, best of %d rounds\n", count, rounds);
    std::printf("%-10s %12s %12s %8s %14s %12s %8s\n", "format", "convert (s)", "copy (s)", "ratio",
                "convert CPU", "copy CPU", "ratio");
    for (const char* format : {"tab", "comma", "kirobench", "spc"}) {
        Timing best;
        for (int round = 0; round < rounds; ++round) {
            MeasureRound(cli, work, format, best);
        }
        std::printf("%-10s %12.3f %12.3f %8.2f %14.3f %12.3f %8.2f%s\n", format, best.convert,
                    best.copy, best.convert / best.copy, best.convertCpu, best.copyCpu,
                    best.convertCpu / best.copyCpu, best.failed ? "  (convert failed)" : "");
    }
    fs::remove_all(work);
    return 0;
}
