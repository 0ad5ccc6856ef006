#include "platform/rapi/WireCodec.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kiro::wire {
namespace {

class SocketPair {
public:
    SocketPair() { ::socketpair(AF_UNIX, SOCK_STREAM, 0, fds); }
    ~SocketPair() {
        ::close(fds[0]);
        ::close(fds[1]);
    }
    void SendRaw(const std::string& bytes) {
        ASSERT_EQ(::send(fds[0], bytes.data(), bytes.size(), 0),
                  static_cast<ssize_t>(bytes.size()));
    }
    int fds[2];
};

std::string U32(std::uint32_t value) {
    std::string bytes;
    for (int i = 0; i < 4; ++i) {
        bytes.push_back(static_cast<char>(value >> (8 * i)));
    }
    return bytes;
}

TEST(WireCodec, RoundTripsEveryFieldKind) {
    CWireWriter writer(Op::FindAllFiles);
    writer.PutU32(0xDEADBEEFu);
    writer.PutText(u"\\My Documents\\\u00e9\U0001F52C*");
    writer.PutBytes(std::string("\0\1\2", 3));
    CWireReader reader(writer.Bytes());
    std::uint8_t op = 0;
    std::uint32_t number = 0;
    std::u16string text;
    std::string bytes;
    ASSERT_TRUE(reader.GetU8(op) && reader.GetU32(number) && reader.GetText(text) &&
                reader.GetBytes(bytes));
    EXPECT_EQ(op, static_cast<std::uint8_t>(Op::FindAllFiles));
    EXPECT_EQ(number, 0xDEADBEEFu);
    EXPECT_EQ(text, u"\\My Documents\\\u00e9\U0001F52C*");
    EXPECT_EQ(bytes, std::string("\0\1\2", 3));
    EXPECT_TRUE(reader.AtEnd());
}

TEST(WireCodec, RefusesLengthsBeyondTheFrameOrTheLimits) {
    const std::string hugeText = U32(0xFFFFFFFFu) + "ab";
    std::u16string text;
    EXPECT_FALSE(CWireReader(hugeText).GetText(text));
    const std::string longName = U32(261) + std::string(522, 'a');
    EXPECT_FALSE(CWireReader(longName).GetText(text)) << "names are at most 260 units";
    const std::string shortText = U32(3) + "abcd";
    EXPECT_FALSE(CWireReader(shortText).GetText(text));
    std::string bytes;
    EXPECT_FALSE(CWireReader(U32(kMaxReadBytes + 1)).GetBytes(bytes));
    EXPECT_FALSE(CWireReader(U32(10) + "short").GetBytes(bytes));

    CWireReader reader(std::string("\1\2", 2));
    std::uint32_t number = 0;
    EXPECT_FALSE(reader.GetU32(number));
    std::uint8_t op = 0;
    EXPECT_FALSE(reader.GetU8(op)) << "a reader stays failed";
    EXPECT_FALSE(reader.Ok());
}

TEST(WireCodec, FramesTravelWholeAndBadOrCutFramesAreRefused) {
    SocketPair pair;
    ASSERT_TRUE(SendFrame(pair.fds[0], "hello"));
    std::string body;
    EXPECT_EQ(ReceiveFrame(pair.fds[1], body, 1000), FrameStatus::Ok);
    EXPECT_EQ(body, "hello");

    pair.SendRaw(U32(kMaxFrameBytes + 1));
    EXPECT_EQ(ReceiveFrame(pair.fds[1], body, 1000), FrameStatus::TooLarge);
    pair.SendRaw(U32(0));
    EXPECT_EQ(ReceiveFrame(pair.fds[1], body, 1000), FrameStatus::TooLarge);
    pair.SendRaw(U32(100) + "only part");
    EXPECT_EQ(ReceiveFrame(pair.fds[1], body, 200), FrameStatus::TimedOut);

    // A peer that leaves half-way through a frame, or before any.
    SocketPair leaving;
    leaving.SendRaw(U32(10) + "abc");
    ::shutdown(leaving.fds[0], SHUT_WR);
    EXPECT_EQ(ReceiveFrame(leaving.fds[1], body, 1000), FrameStatus::Failed);
    EXPECT_NE(ReceiveFrame(leaving.fds[1], body, 200), FrameStatus::Ok);
}

}  // namespace
}  // namespace kiro::wire
