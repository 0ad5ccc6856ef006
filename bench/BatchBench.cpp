// What a batch conversion costs a user: a fresh `kiroconv-cli convert` of a folder of
// device files into fresh outputs, against a fresh `cp -r` of the same output bytes
// (what just writing those files costs). Medians of paired fresh-process runs
// (A B A B ...), per format. Written data is synced before each run, so that neither
// side pays for the other's writeback. Every run writes into a folder of its own and
// nothing is deleted until the end: on ext4 without a journal, files created soon
// after thousands were deleted cost many times more (the allocator skips inodes freed
// in the last minutes), which would swamp what is measured.
//
//   kiroconv_batch_bench [FILE_COUNT [ROUNDS [TOOLS_DIR [FORMAT...]]]]
//
// TOOLS_DIR holds the kiroconv-cli to time (default: this build's). A FORMAT written
// A/B (for example jcamp/tab) pairs the batch in format A against the batch in format B
// of the same files instead of against cp -r.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "ProcessTiming.h"
#include "testdata/DeviceFileWriter.h"

namespace fs = std::filesystem;
using kiro::bench::PairedFigures;
using kiro::bench::RunPairs;
using kiro::bench::TimedRun;

namespace {

void WriteSources(const fs::path& folder, int count) {
    fs::create_directories(folder);
    for (int i = 0; i < count; ++i) {
        kiro::testdata::MakeLampSpectrum(static_cast<unsigned>(i))
            .WriteTo(folder / ("s" + std::to_string(i) + ".scope_ks"));
    }
}

// A folder of hard links to the sources: the conversion writes its outputs there.
void LinkSources(const fs::path& from, const fs::path& to) {
    fs::create_directories(to);
    for (const auto& entry : fs::directory_iterator(from)) {
        fs::create_hard_link(entry.path(), to / entry.path().filename());
    }
}

// The outputs a conversion left in a folder, moved into a folder of their own.
std::uintmax_t CollectOutputs(const fs::path& folder, const fs::path& outputs) {
    fs::create_directories(outputs);
    std::uintmax_t bytes = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() != ".scope_ks") {
            bytes += entry.file_size();
            fs::rename(entry.path(), outputs / entry.path().filename());
        }
    }
    return bytes;
}

void PrintRuns(const char* label, const std::vector<double>& runs) {
    std::printf("%s", label);
    for (const double seconds : runs) {
        std::printf(" %.3f", seconds);
    }
    std::printf("\n");
}

// The batch in one format against the same batch in another, each into a fresh folder.
template <typename Fresh>
void CompareFormats(const std::string& cli, const std::string& a, const std::string& b, int rounds,
                    const fs::path& work, Fresh& fresh) {
    std::vector<std::string> sides[2] = {{cli, "convert", "--format", a, ""},
                                         {cli, "convert", "--format", b, ""}};
    const PairedFigures figures = RunPairs(sides[0], sides[1], rounds, [&](int side) {
        const fs::path folder = fresh("convert");
        LinkSources(work / "sources", folder);
        sides[side].back() = folder.string();
        ::sync();
    });
    std::printf("%-10s %10s %14.3f %10.3f %8.2f%s  (against %s, not cp -r)\n",
                (a + "/" + b).c_str(), "", figures.a, figures.b, figures.ratio,
                figures.failed ? "  (a run failed)" : "", b.c_str());
    PrintRuns("  convert runs", figures.runsA);
    PrintRuns(("  " + b + " runs").c_str(), figures.runsB);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const fs::path tools =
        argc > 3 ? fs::path(argv[3]) : fs::path(argv[0]).parent_path() / "../tools";
    std::vector<std::string> formats = {"tab", "comma", "kirobench", "spc", "jcamp", "jcamp/tab"};
    if (argc > 4) {
        formats.assign(argv + 4, argv + argc);
    }
    const std::string cli = (tools / "kiroconv-cli").string();
    const fs::path work =
        fs::temp_directory_path() / ("kiroconv-batch-" + std::to_string(getpid()));
    WriteSources(work / "sources", count);
    std::printf("%d device files per format, medians of %d fresh-process pairs\n", count, rounds);
    std::printf("%-10s %10s %14s %10s %8s\n", "format", "MiB out", "convert (s)", "cp -r (s)",
                "ratio");
    int run = 0;
    const auto fresh = [&](const std::string& what) {
        return work / (what + "-" + std::to_string(++run));
    };
    for (const std::string& format : formats) {
        if (const std::size_t slash = format.find('/'); slash != std::string::npos) {
            CompareFormats(cli, format.substr(0, slash), format.substr(slash + 1), rounds, work,
                           fresh);
            continue;
        }
        // One conversion beforehand gives the bytes that cp -r copies.
        const fs::path first = fresh("convert");
        const fs::path outputs = fresh("outputs");
        LinkSources(work / "sources", first);
        const bool converted = TimedRun({cli, "convert", "--format", format, first.string()}) >= 0;
        const std::uintmax_t bytes = CollectOutputs(first, outputs);
        std::vector<std::string> convert = {cli, "convert", "--format", format, ""};
        std::vector<std::string> copy = {"cp", "-r", outputs.string(), ""};
        const PairedFigures figures = RunPairs(convert, copy, rounds, [&](int side) {
            if (side == 0) {
                const fs::path folder = fresh("convert");
                LinkSources(work / "sources", folder);
                convert.back() = folder.string();
            } else {
                copy.back() = fresh("copies").string();
            }
            ::sync();
        });
        std::printf("%-10s %10.1f %14.3f %10.3f %8.2f%s\n", format.c_str(),
                    static_cast<double>(bytes) / (1 << 20), figures.a, figures.b, figures.ratio,
                    figures.failed || !converted ? "  (a run failed)" : "");
        PrintRuns("  convert runs", figures.runsA);
        PrintRuns("  cp -r runs  ", figures.runsB);
        std::fflush(stdout);
    }
    std::printf("removing %s\n", work.c_str());
    fs::remove_all(work);
    return 0;
}
