#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>

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
          "kept the existing output " + (dir / "dark.dark") +
              " (use --overwrite to replace it)\n"}) {
        EXPECT_NE(run.out.find(line), std::string::npos) << line << " not in\n" << run.out;
    }
    EXPECT_NE(ReadFileBytes(dir / "lamp.scope").find("\t"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(dir / "dark.dark"), "mine");
    EXPECT_EQ(Cli({"convert", "--overwrite", dir / "dark.dark_ks"}).exitStatus, 0);
    EXPECT_NE(ReadFileBytes(dir / "dark.dark"), "mine");

    test::CTempDir empty;
    test::WriteFileBytes(empty / "notes.txt", "no spectrum");
    run = Cli({"convert", empty.Path().string()});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.out, empty.Path().string() +
                           ": the directory holds no device spectrum files\n"
                           "1 file of another kind was left alone\n");
    std::filesystem::remove(empty / "notes.txt");
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

// A folder's spectra convert again and again with the same exit status; what is not a
// spectrum there (earlier outputs among it) is left alone, and what was kept or left alone
// is said once, however many files there are.
TEST(ConvertCommand, AFolderConvertsRepeatedlyInShortReportsLeavingOtherKindsAlone) {
    test::CTempDir dir;
    const std::string spectra = dir / "spectra";
    const auto in = [&](const std::string& name) { return spectra + "/" + name; };
    std::filesystem::create_directories(in("sub"));
    constexpr int kSpectra = 60;
    for (int k = 0; k < kSpectra; ++k) {
        testdata::MakeLampSpectrum().WriteTo(in("run " + std::to_string(k) + ".scope_ks"));
    }
    test::WriteFileBytes(in("notes.txt"), "notes");
    test::WriteFileBytes(in("LAMP.SCOPE_KS"), "kinds are case-sensitive");
    ASSERT_TRUE(test::MakeFifo(in("pipe.txt")));  // left alone, never opened
    const auto lines = [](const std::string& text) {
        return std::count(text.begin(), text.end(), '\n');
    };

    auto run = Cli({"convert", spectra});
    EXPECT_EQ(run.exitStatus, 0) << run.out;
    EXPECT_EQ(lines(run.out), kSpectra + 1);
    EXPECT_TRUE(run.out.ends_with("\n3 files of other kinds were left alone\n")) << run.out;
    run = Cli({"convert", spectra});
    EXPECT_EQ(run.exitStatus, 1) << "outputs kept for want of --overwrite";
    EXPECT_EQ(run.out, std::to_string(kSpectra + 3) + " files of other kinds were left alone\n" +
                           "kept " + std::to_string(kSpectra) +
                           " existing outputs (use --overwrite to replace them)\n");
    run = Cli({"convert", "--overwrite", spectra});
    EXPECT_EQ(run.exitStatus, 0) << run.out;
    EXPECT_EQ(lines(run.out), kSpectra + 1);
    run = Cli({"convert", in("notes.txt")});
    EXPECT_EQ(run.exitStatus, 1) << "a file named is refused when its kind does not convert";
    EXPECT_EQ(run.out, "not converted " + (in("notes.txt")) + ": kind not convertible\n");

    // --to writes under the same names into an existing folder, and the log names the
    // outputs where they are. A second source of one output name finds it there.
    const std::string out = dir / "out dir";
    std::filesystem::create_directory(out);
    const std::string log = dir / "activity.log";
    testdata::MakeDarkSpectrum().WriteTo(in("sub/run 0.scope_ks"));
    run = Cli({"convert", "-f", "spc", "--to", out, "--log", log, in("run 0.scope_ks"),
               in("sub/run 0.scope_ks")});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.out, "converted " + (in("run 0.scope_ks")) + " -> " + (out + "/run 0.scope.spc") +
                           "\nkept the existing output " + (out + "/run 0.scope.spc") +
                           " (use --overwrite to replace it)\n");
    EXPECT_EQ(test::ListNames(out), std::vector<std::string>{"run 0.scope.spc"});
    EXPECT_NE(test::ReadFileBytes(log).find(" converted file " + (in("run 0.scope_ks")) + " to " +
                                            (out + "/run 0.scope.spc") + " (a "),
              std::string::npos);
    const std::string logBefore = test::ReadFileBytes(log);
    for (const auto& [folder, why] : {std::pair{dir / "missing", "does not exist"},
                                      {dir / "activity.log", "is not a directory"}}) {
        run = Cli({"convert", "--to", folder, "--log", log, spectra});
        EXPECT_EQ(run.exitStatus, 1);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, "kiroconv-cli: the output folder " + folder + " " + why + "\n");
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "missing"));
    EXPECT_EQ(test::ReadFileBytes(log), logBefore);

    // x values must be numbers: a spectrum without a finite wavelength scale has no
    // JCAMP-DX file, and the line says why.
    testdata::SpectrumFixture noScale = testdata::MakeLampSpectrum();
    noScale.wlCoef1 = std::numeric_limits<float>::infinity();
    noScale.WriteTo(dir / "noscale.scope_ks");
    run = Cli({"convert", "-f", "jcamp", dir / "noscale.scope_ks"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.out, "not converted " + (dir / "noscale.scope_ks") +
                           ": cannot create the output file " + (dir / "noscale.scope.jdx") +
                           ": the wavelength scale is not finite\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "noscale.scope.jdx"));
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
