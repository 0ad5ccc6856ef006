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

#include "platform/rapi/WireCodec.h"
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

    std::string wrong = secret;
    wrong.back() = wrong.back() == '0' ? '1' : '0';
    for (const std::string& impostor : {wrong, std::string(), secret.substr(0, 63)}) {
        EXPECT_EQ(GreetWith(port, impostor), std::nullopt) << "hung up on '" << impostor << "'";
    }
    EXPECT_EQ(GreetWith(port, secret), static_cast<std::uint32_t>(wire::GreetingStatus::Accepted));

    EXPECT_EQ(handheld.Stop(), 0);
    EXPECT_FALSE(fs::exists(linkFile)) << "the link file goes with the handheld";
}

}  // namespace
}  // namespace kiro
