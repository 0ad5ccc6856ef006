#include <gtest/gtest.h>
#include <signal.h>

#include "cli/RunProgram.h"
#include "sim/SimProcess.h"

namespace kiro {
namespace {

using test::CSimProcess;

class TransferCommandTest : public ::testing::Test {
protected:
    test::ProgramResult Cli(std::vector<std::string> args) {
        return test::RunProgram(KIROCONV_CLI_PATH, args, {sim.EnvironmentEntry()});
    }
    bool OnHandheld(const std::string& name) {
        return std::filesystem::exists(sim.Root() / "My Documents" / name);
    }

    CSimProcess sim{{"--refuse-delete", "noise.*"}};
    test::CTempDir pcDir;
};

TEST_F(TransferCommandTest, MoveAndConvertFromTheDemoHandheld) {
    const std::string logPath = pcDir / "LogFile.log";
    const auto run =
        Cli({"transfer", "--action", "move-convert", "--format", "spc", "--log", logPath, "--to",
             pcDir.Path().string(), "/My Documents", "lamp.scope_ks", "session.log_ks"});
    EXPECT_EQ(run.exitStatus, 0) << run.out << run.err;
    EXPECT_TRUE(std::filesystem::exists(pcDir / "lamp.scope.spc"));
    EXPECT_FALSE(OnHandheld("lamp.scope_ks"));
    EXPECT_TRUE(OnHandheld("session.log_ks")) << "log files are never converted, so not moved";
    EXPECT_NE(run.out.find("deleted \\My Documents\\lamp.scope_ks on the handheld"),
              std::string::npos);
    const std::string log = test::ReadFileBytes(logPath);
    const std::size_t copied = log.find("copied file \\My Documents\\lamp.scope_ks (8254 bytes)");
    const std::size_t converted = log.find("(a Grams/32-compatible SPC File)");
    const std::size_t deleted = log.find("deleted remote file \\My Documents\\lamp.scope_ks");
    EXPECT_LT(copied, converted);
    EXPECT_LT(converted, deleted);
    EXPECT_NE(deleted, std::string::npos);
}

TEST_F(TransferCommandTest, ReportsFailuresAndKeepsTheHandheldAndPcFiles) {
    auto run = Cli({"transfer", "-a", "move", "--to", pcDir.Path().string(), "/My Documents",
                    "noise.scope_ks", "absent.scope_ks"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.out.find("FAILED to delete \\My Documents\\noise.scope_ks on the handheld"),
              std::string::npos);
    EXPECT_NE(run.out.find("absent.scope_ks is not on the handheld"), std::string::npos);
    EXPECT_TRUE(OnHandheld("noise.scope_ks"));

    run = Cli(
        {"transfer", "-a", "move", "--to", pcDir / "missing", "/My Documents", "lamp.scope_ks"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.out.find("FAILED to copy"), std::string::npos);
    EXPECT_TRUE(OnHandheld("lamp.scope_ks"));

    test::WriteFileBytes(pcDir / "lamp.scope", "mine");
    const std::vector<std::string> copyConvert = {
        "transfer",      "-a",           "copy-convert", "--to", pcDir.Path().string(),
        "/My Documents", "lamp.scope_ks"};
    EXPECT_EQ(Cli(copyConvert).exitStatus, 1);
    EXPECT_EQ(test::ReadFileBytes(pcDir / "lamp.scope"), "mine");
    std::vector<std::string> overwriting = copyConvert;
    overwriting.insert(overwriting.begin() + 3, "--overwrite");
    EXPECT_EQ(Cli(overwriting).exitStatus, 0);
    EXPECT_NE(test::ReadFileBytes(pcDir / "lamp.scope"), "mine");

    for (const std::vector<std::string>& usage :
         {std::vector<std::string>{"transfer", "--to", ".", "/My Documents", "a"},
          {"transfer", "-a", "teleport", "--to", ".", "/", "a"},
          {"transfer", "-a", "copy", "/", "a"},
          {"transfer", "-a", "copy", "--to", "."}}) {
        EXPECT_EQ(Cli(usage).exitStatus, 2) << usage[1] << " " << usage[2];
    }
}

TEST(TransferCommandInterrupt, CtrlCCancelsBetweenFiles) {
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

}  // namespace
}  // namespace kiro
