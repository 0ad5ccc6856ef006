// The emulated handheld's loopback door, which the Windows build's tests use: only a client
// that presents the secret from the link file is served.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "cli/RunProgram.h"
#include "platform/rapi/WireCodec.h"
#include "sim/LoopbackLink.h"
#include "sim/SimProcess.h"

namespace kiro {
namespace {

namespace fs = std::filesystem;

int ConnectToLoopback(unsigned short port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    return fd;
}

constexpr auto kAccepted = static_cast<std::uint32_t>(wire::GreetingStatus::Accepted);

// Presents `secret`, then greets; the handheld's answer, or nothing when it hung up.
std::optional<std::uint32_t> GreetWith(unsigned short port, const std::string& secret) {
    const int fd = ConnectToLoopback(port);
    wire::SendFrame(fd, secret);
    wire::SendFrame(fd, wire::HelloRequest().Bytes());
    std::string reply;
    const wire::FrameStatus status = wire::ReceiveFrame(fd, reply, 5000);
    ::close(fd);
    return status == wire::FrameStatus::Ok ? wire::GreetingAnswer(reply) : std::nullopt;
}

TEST(LoopbackLinkTest, OnlyAClientWithTheSecretFromTheUsersOwnFileIsServed) {
    test::CTempDir dir;
    const fs::path linkFile = dir.Path() / "link";
    test::CSimProcess handheld({"--loopback-link", linkFile.string()});
    struct stat info {};
    ASSERT_EQ(::stat(linkFile.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u) << "only the user may read the secret";
    unsigned short port = 0;
    std::string secret;
    std::ifstream(linkFile) >> port >> secret;
    ASSERT_EQ(secret.size(), 64u);

    // Wrong at either end, empty, or short: every byte counts.
    std::string wrongLast = secret;
    wrongLast.back() = wrongLast.back() == '0' ? '1' : '0';
    std::string wrongFirst = secret;
    wrongFirst.front() = wrongFirst.front() == '0' ? '1' : '0';
    for (const std::string& impostor :
         {wrongLast, wrongFirst, std::string(), secret.substr(0, 63)}) {
        EXPECT_EQ(GreetWith(port, impostor), std::nullopt) << "hung up on '" << impostor << "'";
    }
    EXPECT_EQ(GreetWith(port, secret), kAccepted);

    // Connections that never present the secret are dropped in time: they keep neither the
    // owner nor a client with the secret from the handheld.
    std::vector<int> idle;
    for (int i = 0; i < 50; ++i) {
        idle.push_back(ConnectToLoopback(port));
    }
    const auto ls = test::RunProgram(KIROCONV_CLI_PATH, {"ls", "/"}, {handheld.EnvironmentEntry()},
                                     std::chrono::seconds(30));
    EXPECT_EQ(ls.exitStatus, 0) << ls.err;
    EXPECT_EQ(GreetWith(port, secret), kAccepted);
    for (const int fd : idle) {
        ::close(fd);
    }

    EXPECT_EQ(handheld.Stop(), 0);
    EXPECT_FALSE(fs::exists(linkFile)) << "the link file goes with the handheld";
}

// The gate takes only what has arrived and never waits: a wrong secret is dropped as soon
// as it is whole, a late one at its deadline, the longest waiting when a newcomer would
// make one too many; the secret's frame lets its client through with its greeting unread.
TEST(SecretGate, LetsThroughTheSecretAndDropsTheWrongTheLateAndTheOldest) {
    const std::string secret(64, 'a');
    sim::CSecretGate gate(secret, nullptr);
    EXPECT_EQ(gate.MillisecondsToDeadline(), -1);
    std::vector<int> clients;
    for (std::size_t i = 0; i <= sim::CSecretGate::kMaxWaitingClients; ++i) {
        int pair[2];
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
        gate.Admit(pair[0]);
        clients.push_back(pair[1]);
    }
    const auto dropped = [](int client) {
        char byte = 0;
        return ::recv(client, &byte, 1, MSG_DONTWAIT) == 0;
    };
    EXPECT_TRUE(dropped(clients[0])) << "the longest waiting made room";
    EXPECT_FALSE(dropped(clients[1]));
    EXPECT_LE(gate.MillisecondsToDeadline(), 250);

    wire::SendFrame(clients[1], secret);
    wire::SendFrame(clients[1], wire::HelloRequest().Bytes());
    wire::SendFrame(clients[2], std::string(63, 'a') + "b");
    wire::SendFrame(clients[3], secret.substr(0, 32));  // half, and then nothing
    const std::vector<int> through = gate.Advance();
    ASSERT_EQ(through.size(), 1u);
    std::string greeting;
    EXPECT_EQ(wire::ReceiveFrame(through[0], greeting, 0), wire::FrameStatus::Ok);
    EXPECT_EQ(greeting, wire::HelloRequest().Bytes());
    EXPECT_TRUE(dropped(clients[2])) << "a wrong secret";
    EXPECT_FALSE(dropped(clients[3]));

    std::this_thread::sleep_for(sim::CSecretGate::kSecretDeadline);
    EXPECT_TRUE(gate.Advance().empty());
    for (std::size_t i = 3; i < clients.size(); ++i) {
        EXPECT_TRUE(dropped(clients[i])) << "late: " << i;
    }
    EXPECT_EQ(gate.MillisecondsToDeadline(), -1);
    ::close(through[0]);
    for (const int client : clients) {
        ::close(client);
    }
}

// The link file is made afresh, or takes the place of one that an earlier run of this user
// left behind: a regular file of the user's own, mode 0600, whose port no longer answers.
// Anything else stays as it was, and the handheld says why it does not start.
TEST(LoopbackLinkTest, ReplacesOnlyALinkFileItsUserLeftBehind) {
    test::CTempDir dir;
    std::filesystem::create_directory(dir / "root");
    const auto serve = [&](const std::string& link) {
        return test::RunProgram(
            KIROSCAN_SIM_PATH,
            {"--root", dir / "root", "--socket", dir / "h.sock", "--loopback-link", link}, {},
            std::chrono::seconds(10));
    };
    const auto expectRefused = [&](const std::string& link, const std::string& reason) {
        const std::string before = fs::is_regular_file(link) ? test::ReadFileBytes(link) : "";
        const auto run = serve(link);
        EXPECT_EQ(run.exitStatus, 1) << link;
        EXPECT_EQ(run.err,
                  "kiroscan-sim: refusing to replace the link file " + link + ": " + reason + "\n");
        EXPECT_EQ(fs::is_regular_file(link) ? test::ReadFileBytes(link) : "", before);
        EXPECT_FALSE(fs::exists(dir / "h.sock"));
    };

    const std::string left = dir / "left";
    test::CSimProcess killed({"--loopback-link", left});
    killed.Kill();
    const std::string leftBehind = test::ReadFileBytes(left);
    {
        test::CSimProcess next({"--loopback-link", left});
        const std::string now = test::ReadFileBytes(left);
        EXPECT_NE(now, leftBehind) << "a fresh port and secret";
        expectRefused(left, "a handheld may still use it: something answers on 127.0.0.1:" +
                                now.substr(0, now.find(' ')));
    }
    EXPECT_FALSE(fs::exists(left));

    const auto plant = [&](const std::string& name, const std::string& text, mode_t mode) {
        test::WriteFileBytes(dir / name, text);
        ::chmod((dir / name).c_str(), mode);
        return dir / name;
    };
    expectRefused(plant("notes", "mine\n", 0600),
                  "it does not hold a port and a secret, as a link file does");
    expectRefused(plant("readable", leftBehind, 0644), "its mode is 0644, not a link file's 0600");
    fs::create_symlink(dir / "notes", dir / "link");
    expectRefused(dir / "link", "it is a symbolic link");
    ASSERT_TRUE(test::MakeFifo(dir / "fifo"));
    expectRefused(dir / "fifo", "it is not a regular file");
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to leave a link file of another user";
    }
    const std::string theirs = plant("theirs", leftBehind, 0600);
    ASSERT_EQ(::chown(theirs.c_str(), 65534, 65534), 0);
    expectRefused(theirs, "it belongs to another user, nobody (uid 65534)");
}

}  // namespace
}  // namespace kiro
