#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>

#include "cli/RunProgram.h"
#include "conversion/OutputNaming.h"
#include "devicelink/DeviceLink.h"
#include "devicelink/RapiRemoteApi.h"
#include "sim/SimProcess.h"
#include "support/Fakes.h"
#include "testdata/DeviceFileWriter.h"

namespace kiro {
namespace {

using test::CSimProcess;

class DeviceCommandsTest : public ::testing::Test {
protected:
    test::ProgramResult Cli(const std::vector<std::string>& args) {
        return test::RunProgram(KIROCONV_CLI_PATH, args, {sim.EnvironmentEntry()});
    }
    bool OnHandheld(const std::string& name) {
        return std::filesystem::exists(sim.Root() / "My Documents" / name);
    }

    CSimProcess sim{{"--refuse-delete", "noise.*"}};
    test::CTempDir pcDir;
};

TEST_F(DeviceCommandsTest, ListsFilesAndShowsTheFolderTree) {
    auto run = Cli({"ls", "--long", "/My Documents"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_NE(run.out.find("lamp.scope_ks  "), std::string::npos);
    EXPECT_NE(run.out.find("8254 bytes  12/5/2026  9:0:0 AM\n"), std::string::npos);
    EXPECT_EQ(run.out.find("Series"), std::string::npos) << "folders are not files";
    EXPECT_EQ(Cli({"ls"}).out, "readme.html\n");
    run = Cli({"ls", "/My Documents/Empty"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("no files"), std::string::npos);

    EXPECT_EQ(Cli({"tree"}).out,
              "Kiro-SCAN\n  My Documents\n    Empty\n    Series\n      2026-12-05\n"
              "  Program Files\n    Kiro-SCAN\n  Temp\n  Windows\n");
    for (const char* command : {"ls", "tree"}) {
        run = Cli({command, "/My Documents/Nowhere"});
        EXPECT_EQ(run.exitStatus, 1) << command;
        EXPECT_NE(run.err.find("no such folder on the Kiro-SCAN: \\My Documents\\Nowhere"),
                  std::string::npos)
            << command << ": " << run.err;
        EXPECT_EQ(run.err.find("Find file failed"), std::string::npos) << command;
    }
}

TEST_F(DeviceCommandsTest, CopiesDeletesAndCreatesAndReportsEachFailure) {
    auto run = Cli(
        {"get", "/My Documents", "lamp.scope_ks", "dark.dark_ks", "--to", pcDir.Path().string()});
    EXPECT_EQ(run.exitStatus, 0) << run.out;
    EXPECT_NE(run.out.find("copied \\My Documents\\lamp.scope_ks -> "), std::string::npos);
    EXPECT_EQ(test::ReadFileBytes(pcDir / "dark.dark_ks"),
              test::ReadFileBytes(sim.Root() / "My Documents/dark.dark_ks"));
    run = Cli({"get", "/My Documents", "missing.scope_ks", "--to", pcDir.Path().string()});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.out.find("cannot be opened"), std::string::npos);
    run = Cli({"get", "/Nowhere", "lamp.scope_ks", "--to", pcDir.Path().string()});
    EXPECT_NE(run.out.find("not copied \\Nowhere\\lamp.scope_ks: the folder \\Nowhere is not on"),
              std::string::npos)
        << run.out;
    run = Cli({"get", "/My Documents", "lamp.scope_ks", "--to", pcDir / "nowhere"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.out.find("No such file or directory"), std::string::npos) << run.out;
    EXPECT_EQ(Cli({"get", "/My Documents", "lamp.scope_ks"}).exitStatus, 2) << "--to is required";
    {
        // A full disk is named, and the copy leaves nothing behind; the program inherits
        // the file size limit.
        std::filesystem::create_directory(pcDir / "full");
        test::CFileSizeLimit diskFull(5000);
        run = Cli({"get", "/My Documents", "lamp.scope_ks", "--to", pcDir / "full"});
    }
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.out.find("not copied \\My Documents\\lamp.scope_ks: cannot write "),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("File too large"), std::string::npos) << run.out;
    EXPECT_TRUE(test::ListNames(pcDir / "full").empty());

    run = Cli({"rm", "/My Documents", "session.log_ks", "noise.scope_ks"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.out.find("deleted \\My Documents\\session.log_ks\n"), std::string::npos);
    EXPECT_NE(run.out.find("not deleted \\My Documents\\noise.scope_ks: the handheld refused"),
              std::string::npos)
        << "a refusal is no loss: " << run.out;
    EXPECT_TRUE(OnHandheld("noise.scope_ks"));

    EXPECT_EQ(Cli({"mkdir", "/Temp/Run 7"}).exitStatus, 0);
    EXPECT_TRUE(std::filesystem::is_directory(sim.Root() / "Temp/Run 7"));
    run = Cli({"mkdir", "/Temp/Run 7"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.out.find("Directory creation failed"), std::string::npos);
}

// A name may hold terminal controls: every line that names it shows it escaped, so it
// can neither drive the terminal nor fake a line of its own.
TEST_F(DeviceCommandsTest, EveryCommandShowsControlCharactersInNamesEscaped) {
    const std::string name = "x\x1B]0;T\a\r\nz";
    const std::string escaped = "x\\x1B]0;T\\x07\\r\\nz";
    std::filesystem::create_directory(sim.Root() / "Temp" / name);
    test::WriteFileBytes(sim.Root() / "Temp" / (name + ".scope_ks"), "spectrum");
    std::filesystem::create_directory(pcDir / name);
    const std::string file = name + ".scope_ks";
    const std::string pc = pcDir.Path().string();
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"ls", "/Temp"},
             {"ls", "-l", "/Temp"},
             {"tree"},
             {"get", "/Temp", file, "--to", pc},
             {"rm", "/Temp", file},
             {"get", "/Temp", file, "--to", pc + "/" + name},
             {"transfer", "-a", "copy", "--to", pc, "/Temp", file},
             {"ls", "/Temp/" + file},
             {"ls", "/Temp/" + name},
             {"mkdir", "/Temp/" + name},
             {"convert", pc + "/" + name}}) {
        const auto run = Cli(args);
        const std::string shown = run.out + run.err;
        EXPECT_NE(shown.find(escaped), std::string::npos) << args.front() << ": " << shown;
        const auto rawControls = std::count_if(shown.begin(), shown.end(), [](unsigned char c) {
            return (c < 0x20 && c != '\n') || c == 0x7F;
        });
        EXPECT_EQ(rawControls, 0) << args.front() << " " << args.back() << ": " << shown;
    }
}

TEST_F(DeviceCommandsTest, ASecondClientIsRefusedRatherThanKeptWaiting) {
    test::CSocketEnvironment environment(sim.SocketPath());
    CRapiRemoteApi api;
    test::CRecordingMessageBox messageBox;
    CDeviceLink holder(api, messageBox);
    ASSERT_EQ(holder.Connect(), kConnectOk);
    const auto start = std::chrono::steady_clock::now();
    const auto run = Cli({"ls"});
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.err.find("already serving another program"), std::string::npos);
}

// A move converts before it deletes, keeps log files (never converted, so not moved) and
// what the handheld refuses to delete, and names each failure.
TEST_F(DeviceCommandsTest, TransferReportsFailuresAndKeepsTheHandheldAndPcFiles) {
    const std::string logPath = pcDir / "LogFile.log";
    auto run = Cli({"transfer", "--action", "move-convert", "--format", "spc", "--log", logPath,
                    "--to", pcDir.Path().string(), "/My Documents", "dark.dark_ks",
                    "session.log_ks", "noise.scope_ks", "absent.scope_ks"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_TRUE(std::filesystem::exists(pcDir / "dark.dark.spc"));
    EXPECT_FALSE(OnHandheld("dark.dark_ks"));
    EXPECT_TRUE(OnHandheld("session.log_ks"));
    EXPECT_NE(run.out.find("deleted \\My Documents\\dark.dark_ks on the handheld"),
              std::string::npos);
    const std::string log = test::ReadFileBytes(logPath);
    const std::size_t copied = log.find("copied file \\My Documents\\dark.dark_ks (8254 bytes)");
    const std::size_t converted = log.find("(a Grams/32-compatible SPC File)");
    const std::size_t deleted = log.find("deleted remote file \\My Documents\\dark.dark_ks");
    EXPECT_LT(copied, converted);
    EXPECT_LT(converted, deleted);
    EXPECT_NE(deleted, std::string::npos);
    EXPECT_NE(run.out.find("FAILED to delete \\My Documents\\noise.scope_ks on the handheld"),
              std::string::npos);
    EXPECT_NE(run.out.find("absent.scope_ks is not on the handheld"), std::string::npos);
    EXPECT_TRUE(OnHandheld("noise.scope_ks"));
    run = Cli({"transfer", "-a", "copy", "--to", ".", "/My Documents", "absent.scope_ks"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.err, "") << "the missing file is the whole story";
    run = Cli({"transfer", "-a", "copy", "--to", ".", "/Nowhere", "a.scope_ks"});
    EXPECT_EQ(run.err, "kiroconv-cli: no such folder on the Kiro-SCAN: \\Nowhere\n");

    run = Cli(
        {"transfer", "-a", "move", "--to", pcDir / "missing", "/My Documents", "lamp.scope_ks"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.out.find("FAILED to copy"), std::string::npos);
    EXPECT_TRUE(OnHandheld("lamp.scope_ks"));

    test::WriteFileBytes(pcDir / "lamp.scope", "mine");
    const std::vector<std::string> copyConvert = {
        "transfer",      "-a",           "copy-convert", "--to", pcDir.Path().string(),
        "/My Documents", "lamp.scope_ks"};
    run = Cli(copyConvert);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.out.find(": output exists: " + (pcDir / "lamp.scope") +
                           " (use --overwrite to replace it)"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(test::ReadFileBytes(pcDir / "lamp.scope"), "mine");
    std::vector<std::string> overwriting = copyConvert;
    overwriting.insert(overwriting.begin() + 3, "--overwrite");
    EXPECT_EQ(Cli(overwriting).exitStatus, 0);
    EXPECT_NE(test::ReadFileBytes(pcDir / "lamp.scope"), "mine");
    {
        // The copy fits under the limit, its converted output does not.
        test::CFileSizeLimit diskFull(9000);
        run = Cli(overwriting);
    }
    EXPECT_NE(run.out.find("cannot create the output file " + (pcDir / "lamp.scope") +
                           ": File too large"),
              std::string::npos)
        << run.out;
    overwriting[2] = "convert-only";
    EXPECT_NE(Cli(overwriting)
                  .out.find("deleted the temporary copy of " + (pcDir / "lamp.scope_ks") + "\n"),
              std::string::npos);

    for (const std::vector<std::string>& usage :
         {std::vector<std::string>{"transfer", "--to", ".", "/My Documents", "a"},
          {"transfer", "-a", "teleport", "--to", ".", "/", "a"},
          {"transfer", "-a", "copy", "/", "a"},
          {"transfer", "-a", "copy", "--to", "."}}) {
        EXPECT_EQ(Cli(usage).exitStatus, 2) << usage[1] << " " << usage[2];
    }
}

// "*" and "?" name the files of the handheld's listing of that folder, letter case ignored;
// a pattern that names no file is a failure of its own, and a folder is never a file. The
// demo's My Documents, names with spaces added, copies and converts whole in every format.
TEST_F(DeviceCommandsTest, PatternsNameTheFilesOfAFolderSpacesAndAllButNeverAFolder) {
    const std::filesystem::path documents = sim.Root() / "My Documents";
    testdata::MakeLampSpectrum().WriteTo(documents / "Lamp after warm up.scope_ks");
    testdata::MakeDarkSpectrum().WriteTo(documents / "dark at 20 ms.dark_ks");
    for (const OutputFormatRow& row : OutputFormats()) {
        const std::string format(row.commandLineName);
        const std::string out = pcDir / format;
        std::filesystem::create_directory(out);
        const auto run = Cli(
            {"transfer", "-a", "copy-convert", "-f", format, "--to", out, "/My Documents", "*"});
        EXPECT_EQ(run.exitStatus, 0) << run.out << run.err;
        std::size_t files = 0;
        std::size_t spectra = 0;
        for (const auto& entry : std::filesystem::directory_iterator(documents)) {
            if (entry.is_regular_file()) {
                const std::string copy = out + "/" + entry.path().filename().string();
                ++files;
                EXPECT_EQ(test::ReadFileBytes(copy), test::ReadFileBytes(entry.path())) << copy;
                const std::optional<std::string> output = OutputPathFor(copy, row.format);
                spectra += output ? 1 : 0;
                EXPECT_TRUE(!output || std::filesystem::exists(*output)) << copy;
            }
        }
        EXPECT_EQ(files, 15u);
        EXPECT_GE(spectra, 10u);
        EXPECT_FALSE(std::filesystem::exists(out + "/Series")) << "a folder is not a file";
    }

    const std::string some = pcDir / "some";
    std::filesystem::create_directory(some);
    auto run = Cli({"get", "/My Documents", "LAMP*.SCOPE_KS", "dark at ?? ms.dark_ks", "*.xyz",
                    "*AMP.scope_ks", "--to", some});
    EXPECT_EQ(run.exitStatus, 1) << run.out;
    EXPECT_NE(
        run.out.find("not copied \\My Documents\\*.xyz: no file in \\My Documents matches it\n"),
        std::string::npos)
        << run.out;
    const std::string lampCopied = "copied \\My Documents\\lamp.scope_ks ->";
    EXPECT_EQ(run.out.find(lampCopied), run.out.rfind(lampCopied)) << "copied once";
    EXPECT_EQ(test::ListNames(some),
              (std::vector<std::string>{"Lamp after warm up.scope_ks", "dark at 20 ms.dark_ks",
                                        "lamp.scope_ks"}));
    run = Cli({"transfer", "-a", "copy", "--to", some, "/My Documents", "*.xyz", "lamp.scope_ks"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.out.rfind("FAILED: \\My Documents\\*.xyz: no file in \\My Documents matches it\n"
                            "copied \\My Documents\\lamp.scope_ks -> ",
                            0),
              0u)
        << run.out;
    run = Cli({"get", "/Nowhere", "*", "--to", some});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.err, "kiroconv-cli: no such folder on the Kiro-SCAN: \\Nowhere\n");

    // rm deletes each file matched and says so; the folders stay, and a second time
    // nothing matches.
    std::filesystem::create_directories(sim.Root() / "Temp/Run 7/inner");
    test::WriteFileBytes(sim.Root() / "Temp/Run 7/a b.txt", "a");
    test::WriteFileBytes(sim.Root() / "Temp/Run 7/c.scope_ks", "c");
    run = Cli({"rm", "/Temp/Run 7", "*"});
    EXPECT_EQ(run.exitStatus, 0) << run.out;
    EXPECT_EQ(run.out, "deleted \\Temp\\Run 7\\a b.txt\ndeleted \\Temp\\Run 7\\c.scope_ks\n");
    EXPECT_EQ(test::ListNames(sim.Root() / "Temp/Run 7"), std::vector<std::string>{"inner"});
    run = Cli({"rm", "/Temp/Run 7", "*"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.out, "not deleted \\Temp\\Run 7\\*: no file in \\Temp\\Run 7 matches it\n");
}

TEST(DeviceCommandsInterrupt, CtrlCCancelsATransferBetweenFiles) {
    CSimProcess sim({}, false);
    test::CTempDir pcDir;
    std::vector<std::string> args = {
        "transfer", "-a", "move", "--log", pcDir / "LogFile.log", "--to", pcDir.Path().string(),
        "/"};
    for (int i = 0; i < 200; ++i) {
        const std::string name = "big-" + std::to_string(1000 + i) + ".bin";
        test::WriteFileBytes(sim.Root() / name, std::string(1 << 20, 'x'));
        args.push_back(name);
    }
    test::CRunningProgram cli(KIROCONV_CLI_PATH, args, {sim.EnvironmentEntry()});
    std::string line;
    ASSERT_TRUE(cli.ReadLine(line));
    EXPECT_EQ(line.rfind("copied \\big-1000.bin", 0), 0u) << line;
    cli.Signal(SIGINT);
    std::string rest;
    EXPECT_EQ(cli.Wait(rest), 1);
    EXPECT_NE(rest.find("cancelled: "), std::string::npos) << rest;
    EXPECT_NE(test::ReadFileBytes(pcDir / "LogFile.log").find("cancelled file transfer"),
              std::string::npos);
    // Whatever was moved is complete on the PC; the rest is still on the handheld.
    for (const auto& name : test::ListNames(pcDir.Path())) {
        if (name != "LogFile.log") {
            EXPECT_EQ(std::filesystem::file_size(pcDir / name), 1u << 20) << name;
            EXPECT_FALSE(std::filesystem::exists(sim.Root() / name)) << name;
        }
    }
    EXPECT_TRUE(std::filesystem::exists(sim.Root() / "big-1199.bin")) << "the job stopped early";
}

// Each command stops at the first sign that the handheld is gone and says so.
TEST(DeviceCommandsLost, StopAtTheLossAndSaySo) {
    CSimProcess sim({"--drop-after", "3"});
    test::CTempDir pcDir;
    const auto cli = [&](const std::vector<std::string>& args) {
        return test::RunProgram(KIROCONV_CLI_PATH, args, {sim.EnvironmentEntry()});
    };
    const std::string lost = "The connection to the Kiro-SCAN was lost.";
    // The first copy's open, size and read are answered, its close is not; the second
    // file is never asked for.
    auto run = cli(
        {"get", "/My Documents", "lamp.scope_ks", "dark.dark_ks", "--to", pcDir.Path().string()});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.err.find(lost), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("not copied \\My Documents\\lamp.scope_ks"), std::string::npos);
    EXPECT_EQ(run.out.find("dark.dark_ks"), std::string::npos) << run.out;
    EXPECT_TRUE(test::ListNames(pcDir.Path()).empty());

    run = cli({"tree"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.err.find(lost), std::string::npos);
    EXPECT_EQ(run.err.find("Find file failed"), std::string::npos) << run.err;

    run = cli({"rm", "/Temp", "a", "b", "c", "d", "e"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.err.find(lost), std::string::npos);
    EXPECT_NE(run.out.find("not deleted \\Temp\\d: "), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("\\Temp\\e"), std::string::npos) << "stopped at the loss";
}

}  // namespace
}  // namespace kiro
