#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "cli/RunProgram.h"
#include "cli/TerminalProgress.h"
#include "platform/DisplayText.h"
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
    ASSERT_TRUE(test::MakeFifo(empty / "pipe"));
    std::filesystem::create_symlink("pipe", empty / "log\xFF");
    run = Cli({"convert", "--log", empty / "log\xFF", empty / "lamp.scope_ks"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.err, "kiroconv-cli: cannot open the log file " + (empty / "log\\xFF") +
                           ": not a regular file\n");
    EXPECT_EQ(test::ListNames(empty.Path()),
              (std::vector<std::string>{"lamp.scope_ks", "log\xFF", "pipe"}));
}

// The progress line shows names as every other line does: none can drive the terminal,
// and a long one is cut between characters.
TEST(TerminalProgress, ShowsNamesEscapedOnATerminal) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    std::FILE* terminal = std::fopen(::ptsname(master), "w");
    ASSERT_NE(terminal, nullptr);
    std::string accents;
    for (int i = 0; i < 60; ++i) {
        accents += "\xC3\xA9";
    }
    {
        cli::CTerminalProgress progress(terminal);
        progress.Show(1, 2, "a\x1B]0;title\a\xFF.scope_ks");
        progress.ShowBar(
            "b\xC2\x9B"
            "2J.scope_ks",
            0.5);
        progress.Show(2, 2, "x" + accents);  // the 78th byte falls inside an "é"
    }
    std::fclose(terminal);
    ::fcntl(master, F_SETFL, O_NONBLOCK);
    std::string shown;
    char buffer[512];
    for (ssize_t got; (got = ::read(master, buffer, sizeof buffer)) > 0;) {
        shown.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(master);
    EXPECT_NE(shown.find("[1/2] a\\x1B]0;title\\x07\\xFF.scope_ks"), std::string::npos) << shown;
    EXPECT_NE(shown.find("50% b\\u009B2J.scope_ks"), std::string::npos) << shown;
    std::erase(shown, '\r');
    EXPECT_EQ(EscapeControlCharacters(shown), shown) << "no control, every character whole";
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
    // What the user typed is quoted with its control characters escaped, in both programs.
    for (const auto& [program, args] :
         {std::pair{KIROCONV_CLI_PATH, std::vector<std::string>{"convert", "--format",
                                                                "\x1B[2J\a\r\xFF", "x.scope_ks"}},
          {KIROSCAN_SIM_PATH, {"--root", "r", "--drop-after", "\x1B[2J\a\r\xFF"}}}) {
        const auto run = test::RunProgram(program, args, {}, kNoHang);
        EXPECT_EQ(run.exitStatus, 2) << program;
        EXPECT_NE(run.err.find("\\x1B[2J\\x07\\r\\xFF"), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find_first_of("\x1B\a\r\xFF"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("Run with --help for more information.\n"), std::string::npos);
    }

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
