#include <gtest/gtest.h>
#include <sys/stat.h>

#include "cli/RunProgram.h"
#include "support/TempDir.h"
#include "testdata/DeviceFileWriter.h"

namespace kiro {
namespace {

using test::ReadFileBytes;

// Long enough for any conversion here; a program waiting on a FIFO is killed instead.
constexpr std::chrono::seconds kNoHang(10);

test::ProgramResult Cli(const std::vector<std::string>& args) {
    return test::RunProgram(KIROCONV_CLI_PATH, args, {}, kNoHang);
}

mode_t TypeOf(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 ? info.st_mode & S_IFMT : 0;
}

TEST(ConvertCommand, ConvertsFilesAndFoldersReportingEachAndWhyOthersFailed) {
    test::CTempDir dir;
    testdata::MakeLampSpectrum().WriteTo(dir / "lamp.scope_ks");
    test::WriteFileBytes(dir / "fake.scope_ks", "not a spectrum");
    test::WriteFileBytes(dir / "dark.dark", "mine");
    testdata::MakeDarkSpectrum().WriteTo(dir / "dark.dark_ks");
    auto run = Cli({"convert", dir / "fake.scope_ks", dir / "missing.dark_ks",
                    dir / "lamp.scope_ks", dir / "dark.dark_ks"});
    EXPECT_EQ(run.exitStatus, 1);
    for (const std::string& line :
         {"not converted " + (dir / "fake.scope_ks") + ": not a device spectrum file\n",
          "not converted " + (dir / "missing.dark_ks") +
              ": cannot open the source file: No such file or directory\n",
          "converted " + (dir / "lamp.scope_ks") + " -> " + (dir / "lamp.scope") + "\n",
          "not converted " + (dir / "dark.dark_ks") + ": output exists: " + (dir / "dark.dark")}) {
        EXPECT_NE(run.out.find(line), std::string::npos) << line << " not in\n" << run.out;
    }
    EXPECT_NE(ReadFileBytes(dir / "lamp.scope").find("\t"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(dir / "dark.dark"), "mine");
    EXPECT_EQ(Cli({"convert", "--overwrite", dir / "dark.dark_ks"}).exitStatus, 0);
    EXPECT_NE(ReadFileBytes(dir / "dark.dark"), "mine");

    for (const auto& [format, output] : {std::pair{"comma", "lamp.scope"},
                                         {"kirobench", "lamp.Master.scope"},
                                         {"spc", "lamp.scope.spc"},
                                         {"jcamp", "lamp.scope.jdx"}}) {
        test::CTempDir folder;
        testdata::MakeLampSpectrum().WriteTo(folder / "lamp.scope_ks");
        run = Cli({"convert", "--format", format, folder.Path().string()});
        EXPECT_EQ(run.exitStatus, 0) << format << run.out;
        EXPECT_TRUE(std::filesystem::exists(folder / output)) << format;
    }
    test::CTempDir empty;
    run = Cli({"convert", empty.Path().string()});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.out.find("holds no files"), std::string::npos);
    // The log's lines are the engine's; only an unusable log is the command's own.
    run = Cli({"convert", "--log", empty / "no/such/dir/x.log", dir / "lamp.scope_ks"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.err.find("cannot open the log file"), std::string::npos);
}

TEST(ConvertCommand, AFifoIsRefusedAtOnceWhetherNamedOrFoundInAFolder) {
    test::CTempDir dir;
    testdata::MakeLampSpectrum().WriteTo(dir / "lamp.scope_ks");
    const std::string fifo = dir / "pipe.scope_ks";
    ASSERT_TRUE(test::MakeFifo(fifo));
    for (const std::string& path : {fifo, dir.Path().string()}) {
        const auto run = Cli({"convert", path});
        EXPECT_EQ(run.exitStatus, 1) << path;
        EXPECT_NE(run.out.find("not converted " + fifo + ": not a regular file\n"),
                  std::string::npos)
            << run.out;
    }
    EXPECT_TRUE(std::filesystem::exists(dir / "lamp.scope"));
}

// The log is written only to a regular file or through a link to one; anything else is
// refused before any work and left as it was. (Which kinds are not regular files, the
// log commands' tests show on the same path; here the command's refusal and message.)
TEST(ConvertCommand, TheLogIsOnlyEverARegularFile) {
    test::CTempDir dir;
    const std::string lamp = dir / "lamp.scope_ks";
    testdata::MakeLampSpectrum().WriteTo(lamp);
    const auto run = Cli({"convert", "--log", "/dev/null", lamp});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.err, "kiroconv-cli: cannot open the log file /dev/null: not a regular file\n");
    EXPECT_EQ(TypeOf("/dev/null"), S_IFCHR);
    EXPECT_EQ(test::ListNames(dir.Path()), std::vector<std::string>{"lamp.scope_ks"});

    test::WriteFileBytes(dir / "real.log", "earlier\r\n");
    std::filesystem::create_symlink("real.log", dir / "linked.log");
    EXPECT_EQ(Cli({"convert", "--log", dir / "linked.log", lamp}).exitStatus, 0);
    EXPECT_EQ(TypeOf(dir / "linked.log"), S_IFLNK);
    EXPECT_EQ(ReadFileBytes(dir / "real.log").rfind("earlier\r\nUser ", 0), 0u);
}

// Each program says its version and licence, and what it could not do, in words;
// arguments it cannot use end it with status 2.
TEST(CommandLines, NameTheirVersionTheWordTheyDidNotKnowAndAFolderTheyCouldNotMake) {
    for (const char* program : {KIROCONV_CLI_PATH, KIROSCAN_SIM_PATH}) {
        const auto version = test::RunProgram(program, {"--version"}, {}, kNoHang);
        EXPECT_EQ(version.exitStatus, 0) << program;
        EXPECT_NE(version.out.find(" 1.0.0.1\n"), std::string::npos) << version.out;
        EXPECT_NE(version.out.find("MIT License"), std::string::npos) << version.out;
    }
    for (const std::vector<std::string>& args : {std::vector<std::string>{},
                                                 {"convert"},
                                                 {"convert", "--format", "pdf", "x.scope_ks"},
                                                 {"convert", "--frobnicate", "x.scope_ks"}}) {
        EXPECT_EQ(Cli(args).exitStatus, 2) << args.size();
    }
    const auto help = Cli({"convert", "--help"});
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_NE(help.out.find("Examples:"), std::string::npos);
    const auto unknown = Cli({"teleport", "a.scope_ks"});
    EXPECT_EQ(unknown.exitStatus, 2);
    EXPECT_NE(unknown.err.find("\"teleport\" is not a subcommand; the subcommands are convert, "),
              std::string::npos)
        << unknown.err;

    test::CTempDir dir;
    test::WriteFileBytes(dir / "file", "x");
    const std::string unmakeable = dir / "file/demo";
    const auto demo =
        test::RunProgram(KIROSCAN_SIM_PATH, {"--demo", unmakeable, "--fill-only"}, {}, kNoHang);
    EXPECT_EQ(demo.exitStatus, 1);
    EXPECT_EQ(demo.err, "kiroscan-sim: could not create the folder " + unmakeable +
                            " for the demo handheld: Not a directory.\n");
}

}  // namespace
}  // namespace kiro
