#include <gtest/gtest.h>

#include "cli/RunProgram.h"
#include "devicelink/DeviceLink.h"
#include "sim/SimProcess.h"
#include "support/Fakes.h"

namespace kiro {
namespace {

using test::CSimProcess;

class DeviceCommandsTest : public ::testing::Test {
protected:
    test::ProgramResult Cli(const std::vector<std::string>& args) {
        return test::RunProgram(KIROCONV_CLI_PATH, args, {sim.EnvironmentEntry()});
    }

    CSimProcess sim{{"--refuse-delete", "*.log_ks"}};
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
    run = Cli({"get", "/My Documents", "lamp.scope_ks", "--to", pcDir / "nowhere"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.out.find("No such file or directory"), std::string::npos) << run.out;
    EXPECT_EQ(Cli({"get", "/My Documents", "lamp.scope_ks"}).exitStatus, 2) << "--to is required";

    run = Cli({"rm", "/My Documents", "noise.scope_ks", "session.log_ks"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.out.find("deleted \\My Documents\\noise.scope_ks\n"), std::string::npos);
    EXPECT_NE(run.out.find("not deleted \\My Documents\\session.log_ks"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(sim.Root() / "My Documents/session.log_ks"));

    EXPECT_EQ(Cli({"mkdir", "/Temp/Run 7"}).exitStatus, 0);
    EXPECT_TRUE(std::filesystem::is_directory(sim.Root() / "Temp/Run 7"));
    run = Cli({"mkdir", "/Temp/Run 7"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.out.find("Directory creation failed"), std::string::npos);
}

// A full disk on the PC is named, and the copy leaves nothing behind. The program
// inherits the file size limit.
TEST_F(DeviceCommandsTest, ACopyThatDoesNotFitSaysWhy) {
    test::ProgramResult run;
    {
        test::CFileSizeLimit diskFull(5000);
        run = Cli({"get", "/My Documents", "lamp.scope_ks", "--to", pcDir.Path().string()});
    }
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.out.find("not copied \\My Documents\\lamp.scope_ks: cannot write "),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("File too large"), std::string::npos) << run.out;
    EXPECT_TRUE(test::ListNames(pcDir.Path()).empty());
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

TEST(DeviceCommandsUnreachable, SayWhyAndFail) {
    test::CTempDir nowhere;
    const auto run = test::RunProgram(KIROCONV_CLI_PATH, {"tree"},
                                      {"KIROSCAN_SOCKET=" + (nowhere / "none.sock")});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.err.find("Timeout looking for Kiro-SCAN"), std::string::npos);
}

}  // namespace
}  // namespace kiro
