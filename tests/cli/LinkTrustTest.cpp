// Who the command-line client will talk to, and how it names each way of failing to.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "cli/RunProgram.h"
#include "sim/SimProcess.h"
#include "support/TempDir.h"

namespace kiro {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;

// A program run with the default socket place under `runtime` (no KIROSCAN_SOCKET),
// as the user nobody when asked, in this user's own group: only its user tells it apart.
std::vector<std::string> Command(const std::string& runtime, bool asNobody,
                                 std::vector<std::string> program) {
    std::vector<std::string> args = {"-u", "KIROSCAN_SOCKET", "XDG_RUNTIME_DIR=" + runtime};
    if (asNobody) {
        args.insert(args.end(), {"setpriv", "--reuid=nobody",
                                 "--regid=" + std::to_string(::getegid()), "--clear-groups"});
    }
    args.insert(args.end(), program.begin(), program.end());
    return args;
}

test::ProgramResult RunWithEnv(const std::vector<std::string>& args,
                               const std::vector<std::string>& environment = {}) {
    return test::RunProgram("/usr/bin/env", args, environment);
}

void MakeFolder(const fs::path& folder, uid_t owner, mode_t mode) {
    fs::create_directories(folder);
    ASSERT_EQ(::chown(folder.c_str(), owner, owner), 0);
    ASSERT_EQ(::chmod(folder.c_str(), mode), 0);
}

// The user nobody squats the default place first: its folder, then (moved into the
// user's own folder) its listening socket. Both are refused, naming nobody; only an
// explicit KIROSCAN_SOCKET lets root through.
TEST(LinkTrust, RefusesAHandheldOfAnotherUser) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to run a handheld as another user";
    }
    test::CTempDir runtime;
    ::chmod(runtime.Path().c_str(), 0755);
    const fs::path squat = runtime.Path() / "kiroscan";
    MakeFolder(squat, kNobody, 0700);
    MakeFolder(runtime.Path() / "root", kNobody, 0700);
    test::CRunningProgram sim(
        "/usr/bin/env",
        Command(runtime.Path(), true, {KIROSCAN_SIM_PATH, "--root", runtime / "root"}));
    ASSERT_TRUE(test::WaitForListener(squat / "kiroscan.sock"));
    const std::vector<std::string> ls = Command(runtime.Path(), false, {KIROCONV_CLI_PATH, "ls"});
    auto run = RunWithEnv(ls);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.err.find(squat.string() + ": it belongs to another user, nobody (uid 65534)"),
              std::string::npos)
        << run.err;

    fs::rename(squat, runtime.Path() / "moved");
    MakeFolder(squat, 0, 0700);
    fs::rename(runtime.Path() / "moved" / "kiroscan.sock", squat / "kiroscan.sock");
    ASSERT_EQ(::lchown((squat / "kiroscan.sock").c_str(), 0, 0), 0);
    run = RunWithEnv(ls);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.err.find("it is run by another user, nobody (uid 65534)"), std::string::npos)
        << run.err;

    run = test::RunProgram(KIROCONV_CLI_PATH, {"tree"},
                           {"KIROSCAN_SOCKET=" + (squat / "kiroscan.sock").string()});
    EXPECT_EQ(run.exitStatus, 0) << "root names it explicitly: " << run.err;
}

// The handheld takes over only a socket of its own user that nothing listens on, and on
// its way out removes only the socket it made. Anything else at its path stays as it was,
// and the handheld says why it does not start.
TEST(LinkTrust, TheHandheldReplacesOnlyAStaleSocketOfItsOwn) {
    test::CTempDir dir;
    fs::create_directory(dir / "root");
    const auto serve = [&](const std::string& socket) {
        return test::RunProgram(KIROSCAN_SIM_PATH, {"--root", dir / "root", "--socket", socket}, {},
                                std::chrono::seconds(10));
    };
    test::WriteFileBytes(dir / "file", "mine");
    ::chmod((dir / "file").c_str(), 0600);
    fs::create_symlink(dir / "file", dir / "link");
    test::CSimProcess live({}, false);
    for (const auto& [path, reason] :
         {std::pair{dir / "file",
                    "refusing to replace the socket " + (dir / "file") + ": it is not a socket"},
          {dir / "link",
           "refusing to replace the socket " + (dir / "link") + ": it is a symbolic link"},
          {live.SocketPath(), "another handheld already listens at " + live.SocketPath()}}) {
        const auto run = serve(path);
        EXPECT_EQ(run.exitStatus, 1) << path;
        EXPECT_EQ(run.err, "kiroscan-sim: " + reason + "\n");
    }
    EXPECT_EQ(test::ReadFileBytes(dir / "file"), "mine");
    EXPECT_TRUE(fs::is_symlink(dir / "link"));
    EXPECT_TRUE(test::WaitForListener(live.SocketPath())) << "the live handheld still serves";

    const std::string own = dir / "own.sock";
    ASSERT_TRUE(test::MakeStaleSocket(own));
    {
        test::CRunningProgram sim(KIROSCAN_SIM_PATH, {"--root", dir / "root", "--socket", own});
        ASSERT_TRUE(test::WaitForListener(own));
        // Someone else's file put in its place meanwhile is not the handheld's to remove.
        fs::rename(dir / "file", own);
        sim.Signal(SIGTERM);
        std::string rest;
        EXPECT_EQ(sim.Wait(rest), 0) << sim.ErrorOutput();
    }
    EXPECT_EQ(test::ReadFileBytes(own), "mine");

    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to leave a socket of another user";
    }
    const std::string theirs = dir / "theirs.sock";
    ASSERT_TRUE(test::MakeStaleSocket(theirs));
    ASSERT_EQ(::lchown(theirs.c_str(), kNobody, kNobody), 0);
    const auto run = serve(theirs);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.err, "kiroscan-sim: refusing the socket " + theirs +
                           ": it belongs to another user, nobody (uid 65534)\n");
    EXPECT_TRUE(fs::exists(theirs));
}

// A per-user folder that others may write is refused by the handheld and the client.
TEST(LinkTrust, RefusesASocketFolderOthersMayWrite) {
    test::CTempDir runtime;
    for (const mode_t mode : {0770, 0703}) {
        MakeFolder(runtime.Path() / "kiroscan", ::geteuid(), mode);
        for (const auto& program :
             {std::vector<std::string>{KIROCONV_CLI_PATH, "ls"},
              {"timeout", "10", KIROSCAN_SIM_PATH, "--root", runtime.Path()}}) {
            const auto run = RunWithEnv(Command(runtime.Path(), false, program));
            EXPECT_EQ(run.exitStatus, 1) << program.back();
            EXPECT_NE(run.err.find(runtime / "kiroscan"), std::string::npos) << run.err;
            EXPECT_NE(run.err.find("other users may write to it"), std::string::npos) << run.err;
        }
    }
}

// No handheld at all, one that greets too late, and a socket the user may not open are
// each named.
TEST(LinkTrust, NamesAMissingOrSilentHandheldAndAForbiddenSocket) {
    test::CTempDir nowhere;
    auto run = test::RunProgram(KIROCONV_CLI_PATH, {"tree"},
                                {"KIROSCAN_SOCKET=" + (nowhere / "none.sock")});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.err.find("Timeout looking for Kiro-SCAN"), std::string::npos) << run.err;
    test::CSimProcess slow({"--greeting-delay", "4000"}, false);
    run = test::RunProgram(KIROCONV_CLI_PATH, {"ls"}, {slow.EnvironmentEntry()});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.err.find("The Kiro-SCAN did not answer in time."), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("nothing answers"), std::string::npos) << run.err;
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to run the client as another user";
    }
    test::CSimProcess sim({}, false);
    run = RunWithEnv({"KIROSCAN_SOCKET=" + sim.SocketPath(), "setpriv", "--reuid=nobody",
                      "--regid=nogroup", "--clear-groups", KIROCONV_CLI_PATH, "ls"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.err.find("permission denied"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("is kiroscan-sim running"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace kiro
