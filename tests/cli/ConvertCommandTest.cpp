#include <gtest/gtest.h>

#include "cli/RunProgram.h"
#include "support/TempDir.h"
#include "testdata/DeviceFileWriter.h"

namespace kiro {
namespace {

using test::ListNames;
using test::ReadFileBytes;
using test::RunProgram;

test::ProgramResult Cli(const std::vector<std::string>& args) {
    return RunProgram(KIROCONV_CLI_PATH, args);
}

class ConvertCommandTest : public ::testing::Test {
protected:
    ConvertCommandTest() {
        testdata::MakeLampSpectrum().WriteTo(dir / "lamp.scope_ks");
        testdata::MakeDarkSpectrum().WriteTo(dir / "dark.dark_ks");
    }
    test::CTempDir dir;
};

TEST_F(ConvertCommandTest, ConvertsFilesToTabByDefaultAndReportsEach) {
    const auto run = Cli({"convert", dir / "lamp.scope_ks", dir / "dark.dark_ks"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out, "converted " + (dir / "lamp.scope_ks") + " -> " + (dir / "lamp.scope") +
                           "\nconverted " + (dir / "dark.dark_ks") + " -> " + (dir / "dark.dark") +
                           "\n");
    EXPECT_NE(ReadFileBytes(dir / "lamp.scope").find("\t"), std::string::npos);
}

TEST_F(ConvertCommandTest, ConvertsEveryFileOfADirectoryInEachFormat) {
    const struct {
        const char* format;
        const char* lampOutput;
    } formats[] = {{"tab", "lamp.scope"},
                   {"comma", "lamp.scope"},
                   {"kirobench", "lamp.Master.scope"},
                   {"spc", "lamp.scope.spc"}};
    for (const auto& f : formats) {
        test::CTempDir folder;
        testdata::MakeLampSpectrum().WriteTo(folder / "lamp.scope_ks");
        const auto run = Cli({"convert", "--format", f.format, folder.Path().string()});
        EXPECT_EQ(run.exitStatus, 0) << f.format << run.out;
        EXPECT_TRUE(std::filesystem::exists(folder / f.lampOutput)) << f.format;
    }
}

TEST_F(ConvertCommandTest, KeepsExistingOutputsUnlessToldToOverwrite) {
    test::WriteFileBytes(dir / "lamp.scope", "mine");
    auto run = Cli({"convert", dir / "lamp.scope_ks"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.out.find("output exists: " + (dir / "lamp.scope")), std::string::npos);
    EXPECT_EQ(ReadFileBytes(dir / "lamp.scope"), "mine");

    run = Cli({"convert", "--overwrite", dir / "lamp.scope_ks"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_NE(ReadFileBytes(dir / "lamp.scope"), "mine");
}

TEST_F(ConvertCommandTest, ReportsWhyFilesDidNotConvertAndGoesOn) {
    test::WriteFileBytes(dir / "fake.scope_ks", "not a spectrum");
    test::WriteFileBytes(dir / "notes.txt", "text");
    const auto run = Cli({"convert", dir / "fake.scope_ks", dir / "notes.txt",
                          dir / "missing.dark_ks", dir / "lamp.scope_ks"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(
        run.out.find("not converted " + (dir / "fake.scope_ks") + ": not a device spectrum file\n"),
        std::string::npos);
    EXPECT_NE(run.out.find("not converted " + (dir / "notes.txt") + ": kind not convertible\n"),
              std::string::npos);
    EXPECT_NE(run.out.find("not converted " + (dir / "missing.dark_ks") +
                           ": cannot open the source file: No such file or directory\n"),
              std::string::npos);
    EXPECT_NE(run.out.find("converted " + (dir / "lamp.scope_ks") + " -> "), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(dir / "lamp.scope"));
}

TEST_F(ConvertCommandTest, RecordsConversionsInTheNamedLog) {
    const std::string logPath = dir / "runs.log";
    auto run = Cli({"convert", "--log", logPath, dir / "lamp.scope_ks"});
    ASSERT_EQ(run.exitStatus, 0);
    std::string log = ReadFileBytes(logPath);
    EXPECT_EQ(log.find("Corvane Tech Kiro-SCAN File Conversion Utility Log File\r\n"), 0u);
    EXPECT_NE(log.find(" converted file " + (dir / "lamp.scope_ks") + " to " +
                       (dir / "lamp.scope") + " (a Tab-delimited ASCII File) on "),
              std::string::npos);
    // A second run continues the file rather than starting a new one.
    run = Cli({"convert", "-f", "spc", "--log", logPath, dir / "dark.dark_ks"});
    ASSERT_EQ(run.exitStatus, 0);
    const std::string continued = ReadFileBytes(logPath);
    EXPECT_EQ(continued.substr(0, log.size()), log);
    EXPECT_NE(continued.find("(a Grams/32-compatible SPC File)"), std::string::npos);

    run = Cli({"convert", "--log", dir / "no/such/dir/x.log", dir / "lamp.scope_ks"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.err.find("cannot open the log file"), std::string::npos);
}

TEST(ConvertCommandUsage, RejectsBadArgumentsWithStatusTwo) {
    EXPECT_EQ(Cli({}).exitStatus, 2);
    EXPECT_EQ(Cli({"convert"}).exitStatus, 2);
    EXPECT_EQ(Cli({"convert", "--format", "pdf", "x.scope_ks"}).exitStatus, 2);
    EXPECT_EQ(Cli({"convert", "--frobnicate", "x.scope_ks"}).exitStatus, 2);
    EXPECT_EQ(Cli({"teleport"}).exitStatus, 2);
    const auto help = Cli({"convert", "--help"});
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_NE(help.out.find("Examples:"), std::string::npos);
}

TEST(ConvertCommandUsage, AnEmptyDirectoryIsReported) {
    test::CTempDir empty;
    const auto run = Cli({"convert", empty.Path().string()});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.out.find("holds no files"), std::string::npos);
}

}  // namespace
}  // namespace kiro
