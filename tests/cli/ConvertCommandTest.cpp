#include <gtest/gtest.h>

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
    // The log is the engine's, which also decides what may be one (a regular file, or a
    // link to one); an unusable log is refused with the command's own words before any work.
    testdata::MakeLampSpectrum().WriteTo(empty / "lamp.scope_ks");
    run = Cli({"convert", "--log", "/dev/null", empty / "lamp.scope_ks"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.err, "kiroconv-cli: cannot open the log file /dev/null: not a regular file\n");
    EXPECT_EQ(test::ListNames(empty.Path()), std::vector<std::string>{"lamp.scope_ks"});
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
