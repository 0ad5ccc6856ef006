// Real failures under real system calls: the program killed half-way, the handheld
// killed half-way, two programs on one log, a full disk. Each test checks what a user
// cares about: no file under its final name is partial, and no measurement is lost.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <sstream>
#include <thread>

#include "cli/RunProgram.h"
#include "sim/SimProcess.h"
#include "support/Fakes.h"
#include "testdata/DeviceFileWriter.h"

namespace kiro {
namespace {

namespace fs = std::filesystem;
using test::CRunningProgram;
using test::CSimProcess;
using test::ReadFileBytes;

bool HasTemporaryFile(const fs::path& folder) {
    const std::vector<std::string> names = test::ListNames(folder);
    return std::any_of(names.begin(), names.end(), [](const std::string& name) {
        return name.front() == '.' && name.find(".kiro-") != std::string::npos;
    });
}

// Kills the program as soon as one of its temporary files shows up in the folder,
// that is while it is writing; gives up after a few seconds.
void KillWhileWriting(CRunningProgram& program, const fs::path& folder) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!HasTemporaryFile(folder) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    program.Signal(SIGKILL);
    std::string rest;
    program.Wait(rest);
}

std::string SpectrumBytes(unsigned seed) {
    const auto bytes = testdata::MakeLampSpectrum(seed).Bytes();
    return std::string(bytes.begin(), bytes.end());
}

class NothingLostTest : public ::testing::Test {
protected:
    test::ProgramResult Cli(const std::vector<std::string>& args) {
        return test::RunProgram(KIROCONV_CLI_PATH, args, {sim.EnvironmentEntry(), TrashHome()});
    }
    // The programs' trash is the test's own.
    std::string TrashHome() const { return "XDG_DATA_HOME=" + dataHome.Path().string(); }
    fs::path TrashFiles() const { return dataHome.Path() / "Trash" / "files"; }

    CSimProcess sim{{}, false};
    test::CTempDir pcDir;
    test::CTempDir dataHome;
};

TEST_F(NothingLostTest, KilledDuringACopyLeavesNoPartialFileAndTheNextRunCleansUp) {
    std::string big(96u << 20, '\0');
    for (std::size_t i = 0; i < big.size(); i += 4093) {
        big[i] = static_cast<char>(i / 4093);
    }
    test::WriteFileBytes(sim.Root() / "big.bin", big);
    {
        CRunningProgram get(KIROCONV_CLI_PATH, {"get", "/", "big.bin", "--to", pcDir.Path()},
                            {sim.EnvironmentEntry()});
        KillWhileWriting(get, pcDir.Path());
    }
    const fs::path copy = pcDir.Path() / "big.bin";
    EXPECT_TRUE(!fs::exists(copy) || ReadFileBytes(copy) == big) << "a partial copy is visible";

    test::WriteFileBytes(sim.Root() / "small.txt", "small");
    const auto next = Cli({"get", "/", "small.txt", "--to", pcDir.Path()});
    EXPECT_EQ(next.exitStatus, 0) << next.out << next.err;
    EXPECT_FALSE(HasTemporaryFile(pcDir.Path())) << "the killed run's temporary file stays";
}

TEST_F(NothingLostTest, KilledDuringAConversionBatchLeavesOnlyCompleteOutputs) {
    for (int i = 0; i < 400; ++i) {
        test::WriteFileBytes(pcDir / ("s" + std::to_string(1000 + i) + ".scope_ks"),
                             SpectrumBytes(7));
    }
    test::CTempDir referenceDir;
    test::WriteFileBytes(referenceDir / "r.scope_ks", SpectrumBytes(7));
    ASSERT_EQ(
        test::RunProgram(KIROCONV_CLI_PATH, {"convert", referenceDir / "r.scope_ks"}).exitStatus,
        0);
    const std::string reference = ReadFileBytes(referenceDir / "r.scope");
    {
        CRunningProgram convert(KIROCONV_CLI_PATH, {"convert", pcDir.Path()});
        std::string line;
        for (int i = 0; i < 50 && convert.ReadLine(line); ++i) {
        }
        KillWhileWriting(convert, pcDir.Path());
    }
    int outputs = 0;
    for (const std::string& name : test::ListNames(pcDir.Path())) {
        if (name.ends_with(".scope")) {
            ++outputs;
            ASSERT_EQ(ReadFileBytes(pcDir / name), reference) << name << " is partial";
        }
    }
    EXPECT_GE(outputs, 50);
    test::RunProgram(KIROCONV_CLI_PATH, {"convert", "--overwrite", pcDir / "s1000.scope_ks"});
    EXPECT_FALSE(HasTemporaryFile(pcDir.Path()));
}

TEST_F(NothingLostTest, TwoProgramsAppendingToOneLogTearNoLine) {
    const std::string logPath = pcDir / "shared.log";
    test::CTempDir first;
    test::CTempDir second;
    for (int i = 0; i < 150; ++i) {
        test::WriteFileBytes(first / ("a" + std::to_string(i) + ".scope_ks"), SpectrumBytes(1));
        test::WriteFileBytes(second / ("b" + std::to_string(i) + ".dark_ks"), SpectrumBytes(2));
    }
    test::WriteFileBytes(pcDir / "seed.scope_ks", SpectrumBytes(3));
    ASSERT_EQ(
        test::RunProgram(KIROCONV_CLI_PATH, {"convert", "--log", logPath, pcDir / "seed.scope_ks"})
            .exitStatus,
        0);
    CRunningProgram one(KIROCONV_CLI_PATH, {"convert", "--log", logPath, first.Path()});
    CRunningProgram two(KIROCONV_CLI_PATH, {"convert", "--log", logPath, second.Path()});
    std::string rest;
    EXPECT_EQ(one.Wait(rest), 0) << rest;
    EXPECT_EQ(two.Wait(rest), 0) << rest;
    // Every entry whole: one record per line, none split or interleaved with another.
    std::istringstream log(ReadFileBytes(logPath));
    std::string line;
    int entries = 0;
    for (int i = 0; std::getline(log, line); ++i) {
        const bool whole = line.starts_with("User ") && line.ends_with("\r") &&
                           line.find(" converted file ") != std::string::npos &&
                           line.find("_ks to ") != std::string::npos &&
                           line.find("User ", 1) == std::string::npos;
        ASSERT_TRUE(i < 3 || whole) << "line " << i << ": " << line;
        entries += i < 3 ? 0 : 1;
    }
    EXPECT_EQ(entries, 1 + 300);
}

TEST_F(NothingLostTest, ALogLineThatDoesNotFitIsReportedAndLeavesNoFragment) {
    const std::string logPath = pcDir / "full.log";
    std::string earlier(64 * 1024, 'x');
    earlier += "\r\n";
    test::WriteFileBytes(logPath, earlier);
    test::WriteFileBytes(pcDir / "lamp.scope_ks", SpectrumBytes(1));
    test::ProgramResult run;
    {
        // Room for the SPC output but not for the log line: the disk is full for it.
        test::CFileSizeLimit full(earlier.size() + 40);
        run = test::RunProgram(KIROCONV_CLI_PATH,
                               {"convert", "-f", "spc", "--log", logPath, pcDir / "lamp.scope_ks"});
    }
    EXPECT_EQ(run.exitStatus, 1) << run.out << run.err;
    EXPECT_NE(run.err.find("could not write to the log file " + logPath + ": "), std::string::npos)
        << run.err;
    EXPECT_EQ(ReadFileBytes(logPath), earlier) << "a fragment of the line was left";
    EXPECT_TRUE(fs::exists(pcDir / "lamp.scope.spc"));
}

TEST_F(NothingLostTest, AHandheldLostDuringAMoveLosesNoFile) {
    for (const std::vector<std::string>& fault :
         {std::vector<std::string>{}, std::vector<std::string>{"--drop-after", "40"}}) {
        CSimProcess handheld(fault, false);
        std::vector<std::string> args = {"transfer", "-a",         "move-convert",
                                         "--to",     pcDir.Path(), "/"};
        std::map<std::string, std::string> originals;
        for (int i = 0; i < 60; ++i) {
            const std::string name = "m" + std::to_string(100 + i) + ".scope_ks";
            originals[name] = SpectrumBytes(static_cast<unsigned>(i));
            test::WriteFileBytes(handheld.Root() / name, originals[name]);
            args.push_back(name);
        }
        CRunningProgram move(KIROCONV_CLI_PATH, args, {handheld.EnvironmentEntry()});
        std::string line;
        if (fault.empty()) {
            while (move.ReadLine(line) && line.find("deleted") == std::string::npos) {
            }
            handheld.Kill();
        }
        std::string rest;
        EXPECT_EQ(move.Wait(rest), 1);
        EXPECT_NE((line + rest).find("The connection to the Kiro-SCAN was lost."),
                  std::string::npos)
            << rest;
        int onHandheld = 0;
        for (const auto& [name, bytes] : originals) {
            const bool kept = fs::exists(handheld.Root() / name);
            onHandheld += kept ? 1 : 0;
            EXPECT_TRUE(kept || ReadFileBytes(pcDir.Path() / name) == bytes) << name << " is lost";
        }
        EXPECT_GT(onHandheld, 0) << "the job did not stop early";
        fs::remove_all(pcDir.Path());
        fs::create_directory(pcDir.Path());
    }
}

// Every measurement that existed before still exists somewhere: on its handheld, on the
// PC or, replaced, in the trash; one the trash will not take is not replaced.
TEST_F(NothingLostTest, MovesOfOneNameKeepEveryMeasurementTheUserDidNotGiveUp) {
    const auto move = [&](const fs::path& target, const std::string& policy) {
        std::vector<std::string> args = {"transfer", "-a", "move",      "--to",
                                         target,     "/",  "m.scope_ks"};
        if (!policy.empty()) {
            args.insert(args.begin() + 1, {"--existing", policy});
        }
        return Cli(args);
    };
    for (const std::string policy : {"", "keep-both", "replace"}) {
        SCOPED_TRACE(policy);
        const fs::path target = pcDir.Path() / ("to-" + policy);
        fs::create_directory(target);
        test::WriteFileBytes(sim.Root() / "m.scope_ks", SpectrumBytes(1));
        ASSERT_EQ(move(target, policy).exitStatus, 0);
        test::WriteFileBytes(sim.Root() / "m.scope_ks", SpectrumBytes(2));
        const auto second = move(target, policy);
        if (policy.empty()) {  // skip
            EXPECT_EQ(second.exitStatus, 1);
            EXPECT_NE(second.out.find("kept " + (target / "m.scope_ks").string() +
                                      ": a different file of that name is already there"),
                      std::string::npos)
                << second.out;
            EXPECT_EQ(ReadFileBytes(sim.Root() / "m.scope_ks"), SpectrumBytes(2));
        } else {
            EXPECT_EQ(second.exitStatus, 0) << second.out << second.err;
            EXPECT_FALSE(fs::exists(sim.Root() / "m.scope_ks"));
        }
        EXPECT_EQ(ReadFileBytes(target / "m.scope_ks"), SpectrumBytes(policy == "replace" ? 2 : 1));
        EXPECT_EQ(fs::exists(target / "m (2).scope_ks"), policy == "keep-both");
        if (policy == "replace") {
            EXPECT_EQ(ReadFileBytes(TrashFiles() / "m.scope_ks"), SpectrumBytes(1));
            EXPECT_NE(second.out.find("put the replaced file " + (target / "m.scope_ks").string() +
                                      " in the trash"),
                      std::string::npos)
                << second.out;
        }
    }
    // No trash to be had (its folder cannot be made): the PC's file stays, the handheld's
    // too, and the reason is told.
    const fs::path replaced = pcDir.Path() / "to-replace";
    test::WriteFileBytes(sim.Root() / "m.scope_ks", SpectrumBytes(4));
    const fs::path notAFolder = dataHome.Path() / "file";
    test::WriteFileBytes(notAFolder, "");
    const auto untrashable = test::RunProgram(
        KIROCONV_CLI_PATH,
        {"transfer", "--existing", "replace", "-a", "move", "--to", replaced, "/", "m.scope_ks"},
        {sim.EnvironmentEntry(), "XDG_DATA_HOME=" + notAFolder.string()});
    EXPECT_EQ(untrashable.exitStatus, 1);
    EXPECT_NE(untrashable.err.find("cannot put " + (replaced / "m.scope_ks").string() +
                                   " in the trash: Unable to create trash directory"),
              std::string::npos)
        << untrashable.err;
    EXPECT_EQ(ReadFileBytes(replaced / "m.scope_ks"), SpectrumBytes(2));
    EXPECT_EQ(ReadFileBytes(sim.Root() / "m.scope_ks"), SpectrumBytes(4));
    // get asks the same way: the same bytes count as copied, different ones are kept.
    test::WriteFileBytes(sim.Root() / "m.scope_ks", SpectrumBytes(1));
    const fs::path target = pcDir.Path() / "to-";
    EXPECT_EQ(Cli({"get", "/", "m.scope_ks", "--to", target}).exitStatus, 0);
    test::WriteFileBytes(sim.Root() / "m.scope_ks", SpectrumBytes(3));
    EXPECT_EQ(Cli({"get", "/", "m.scope_ks", "--to", target}).exitStatus, 1);
    EXPECT_EQ(ReadFileBytes(target / "m.scope_ks"), SpectrumBytes(1));
}

TEST_F(NothingLostTest, TwoMovesIntoOneFolderAtOnceLoseNothing) {
    constexpr int kFiles = 40;
    CSimProcess other{{}, false};
    std::vector<std::string> names;
    std::map<std::string, int> wanted;  // every measurement's bytes, to be found somewhere
    for (int i = 0; i < kFiles; ++i) {
        names.push_back("s" + std::to_string(i) + ".scope_ks");
        test::WriteFileBytes(sim.Root() / names.back(), SpectrumBytes(2 * i));
        test::WriteFileBytes(other.Root() / names.back(), SpectrumBytes(2 * i + 1));
        wanted[SpectrumBytes(2 * i)] = 0;
        wanted[SpectrumBytes(2 * i + 1)] = 0;
    }
    for (const std::string policy : {"skip", "keep-both", "replace"}) {
        SCOPED_TRACE(policy);
        const fs::path target = pcDir.Path() / policy;
        fs::create_directory(target);
        std::vector<std::string> args = {"transfer", "--existing", policy, "-a",
                                         "move",     "--to",       target, "/"};
        args.insert(args.end(), names.begin(), names.end());
        {
            CRunningProgram first(KIROCONV_CLI_PATH, args, {sim.EnvironmentEntry(), TrashHome()});
            CRunningProgram second(KIROCONV_CLI_PATH, args,
                                   {other.EnvironmentEntry(), TrashHome()});
            std::string rest;
            first.Wait(rest);
            second.Wait(rest);
        }
        for (auto& [bytes, found] : wanted) {
            found = 0;
        }
        fs::create_directories(TrashFiles());
        for (const fs::path& folder : {target, sim.Root(), other.Root(), TrashFiles()}) {
            for (const std::string& name : test::ListNames(folder)) {
                const auto it = wanted.find(ReadFileBytes(folder / name));
                if (it != wanted.end()) {
                    ++it->second;
                }
            }
        }
        const long lost = std::count_if(wanted.begin(), wanted.end(),
                                        [](const auto& entry) { return entry.second == 0; });
        EXPECT_EQ(lost, 0) << "measurements lost";
        // The next round starts with every measurement back on its handheld.
        for (int i = 0; i < kFiles; ++i) {
            test::WriteFileBytes(sim.Root() / names[i], SpectrumBytes(2 * i));
            test::WriteFileBytes(other.Root() / names[i], SpectrumBytes(2 * i + 1));
        }
        fs::remove_all(dataHome.Path() / "Trash");
    }
}

// The PC folder the handheld serves is the handheld's own: the copy lands on the file
// itself, which must then not be deleted as if it were the handheld's.
TEST_F(NothingLostTest, AMoveIntoTheFolderTheHandheldServesKeepsTheFile) {
    test::WriteFileBytes(sim.Root() / "m.scope_ks", SpectrumBytes(5));
    for (const std::string policy : {"skip", "keep-both", "replace"}) {
        SCOPED_TRACE(policy);
        const auto move = Cli({"transfer", "--existing", policy, "-a", "move-convert", "--to",
                               sim.Root(), "/", "m.scope_ks"});
        EXPECT_EQ(move.exitStatus, 1) << move.out << move.err;
        EXPECT_NE(
            move.out.find("kept \\m.scope_ks on the handheld: it changed after it was copied"),
            std::string::npos)
            << move.out;
        EXPECT_EQ(ReadFileBytes(sim.Root() / "m.scope_ks"), SpectrumBytes(5));
    }
}

}  // namespace
}  // namespace kiro
