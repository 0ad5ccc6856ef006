#include <gtest/gtest.h>

#include <memory>

#include "devicelink/DeviceLink.h"
#include "devicelink/MemoryControls.h"
#include "devicelink/RapiRemoteApi.h"
#include "sim/SimProcess.h"
#include "support/Fakes.h"

namespace kiro {
namespace {

using test::CSimProcess;
using test::CSocketEnvironment;

// Bytes that tell every position and file apart, so that a block handed to the wrong
// file or at the wrong place shows.
std::string PatternBytes(std::size_t size, std::uint32_t seed) {
    std::string bytes(size, '\0');
    std::uint32_t state = seed;
    for (char& byte : bytes) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<char>(state >> 24);
    }
    return bytes;
}

class SimIntegrationTest : public ::testing::Test {
protected:
    test::CTempDir pcDir;
    CRapiRemoteApi api;
    test::CRecordingMessageBox messageBox;
};

// The link notices a handheld killed in the middle of a copy, keeps nothing of the
// copy, and connects afresh to the next handheld, which greets slower than a moment but
// within the wait, and then stops cleanly. (How long a silent socket is waited for, the
// window's test measures.)
TEST_F(SimIntegrationTest, AHandheldKilledDuringACopyIsNoticedAndTheNextOneServes) {
    auto sim = std::make_unique<CSimProcess>(std::vector<std::string>{}, false);
    test::WriteFileBytes(sim->Root() / "big.bin", std::string(4 * 1024 * 1024, 'q'));
    auto environment = std::make_unique<CSocketEnvironment>(sim->SocketPath());
    CDeviceLink link(api, messageBox);
    ASSERT_EQ(link.Connect(), kConnectOk);
    test::CRecordingProgressBar bar;
    bar.onRepaint = [&] {
        if (bar.repaints == 10) {
            sim->Kill();
        }
    };
    EXPECT_EQ(link.TransferFile(u"\\", u"big.bin", pcDir.Path().string(), "big.bin", 4096, &bar),
              kTransferConnectionLost);
    EXPECT_TRUE(test::ListNames(pcDir.Path()).empty());
    EXPECT_FALSE(link.IsConnected());
    EXPECT_TRUE(link.ConnectionLost());

    // That later calls fail at once, without asking the handheld, DeviceLinkTest shows.
    CMemoryFileList list;
    environment.reset();
    sim = std::make_unique<CSimProcess>(std::vector<std::string>{"--greeting-delay", "300"});
    CSocketEnvironment pointed(sim->SocketPath());
    ASSERT_EQ(link.Connect(), kConnectOk);
    EXPECT_FALSE(link.ConnectionLost());
    EXPECT_EQ(link.FillFileList(u"\\My Documents", list), 1);
    EXPECT_GT(list.GetItemCount(), 0);
    link.Disconnect();
    EXPECT_EQ(sim->Stop(), 0);
    EXPECT_FALSE(std::filesystem::exists(sim->SocketPath())) << "the socket is removed on exit";
}

// Reads of two open files, in chunks of every size and mixed with other calls, each
// give exactly their own file's bytes: the client's read-ahead runs one block ahead.
TEST_F(SimIntegrationTest, InterleavedReadsOfTwoFilesGiveEachItsOwnBytes) {
    CSimProcess sim({}, false);
    // Whole read-ahead blocks, and blocks and a bit.
    const std::string first = PatternBytes(2 * 1024 * 1024, 1);
    const std::string second = PatternBytes(2 * 1024 * 1024 + 300 * 1024 + 3, 2);
    test::WriteFileBytes(sim.Root() / "first.bin", first);
    test::WriteFileBytes(sim.Root() / "second.bin", second);
    CSocketEnvironment environment(sim.SocketPath());
    CDeviceLink link(api, messageBox);
    ASSERT_EQ(link.Connect(), kConnectOk);
    const auto open = [&](const char16_t* path) {
        return api.CeCreateFile(path, 0x80000000u, 0, nullptr, 3, 0x80, nullptr);
    };
    rapi::HANDLE handles[2] = {open(u"\\first.bin"), open(u"\\second.bin")};
    std::string got[2];
    const rapi::DWORD chunks[] = {7, 4096, 300000, 1000, 262144, 1};
    for (int step = 0; got[0].size() < first.size() || got[1].size() < second.size(); ++step) {
        const int which = step % 3 == 2 ? 1 : step % 2;
        std::string chunk(chunks[step % 6], '\0');
        rapi::DWORD read = 0;
        ASSERT_TRUE(api.CeReadFile(handles[which], chunk.data(), chunks[step % 6], &read, nullptr));
        got[which].append(chunk, 0, read);
        if (step % 5 == 0) {
            EXPECT_EQ(api.CeGetFileSize(handles[1], nullptr), second.size());
        }
        ASSERT_LT(step, 1000);
    }
    EXPECT_EQ(got[0], first);
    EXPECT_EQ(got[1], second);
    rapi::DWORD read = 1;
    char byte = 0;
    EXPECT_TRUE(api.CeReadFile(handles[0], &byte, 1, &read, nullptr));
    EXPECT_EQ(read, 0u) << "the end of the file stays the end";

    // A file closed while its next block is on the way leaves the others untouched.
    rapi::HANDLE third = open(u"\\second.bin");
    std::string start(5000, '\0');
    ASSERT_TRUE(api.CeReadFile(third, start.data(), 5000, &read, nullptr));
    EXPECT_TRUE(api.CeCloseHandle(third));
    CMemoryFileList list;
    EXPECT_EQ(link.FillFileList(u"\\", list), 1);
    EXPECT_EQ(list.GetItemCount(), 2);
    EXPECT_TRUE(api.CeCloseHandle(handles[0]));
    EXPECT_TRUE(api.CeCloseHandle(handles[1]));
    EXPECT_FALSE(link.ConnectionLost());
    link.Disconnect();
}

}  // namespace
}  // namespace kiro
