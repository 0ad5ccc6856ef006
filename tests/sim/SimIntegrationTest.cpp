#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "devicelink/DeviceLink.h"
#include "devicelink/MemoryControls.h"
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

TEST_F(SimIntegrationTest, BrowsesTheDemoHandheld) {
    CSimProcess sim;
    CSocketEnvironment environment(sim.SocketPath());
    CDeviceLink link(api, messageBox);
    ASSERT_EQ(link.Connect(), kConnectOk);

    CMemoryTree tree;
    const TreeItem root = tree.InsertItem(kRootItemLabel, 2, 2, 0);
    EXPECT_EQ(link.FillFolderTree(u"\\", kTreeFindFlags, tree, root), 1);
    tree.SortChildren(root);
    std::vector<std::string> top;
    for (TreeItem child : tree.Children(root)) {
        top.push_back(tree.GetItemText(child));
    }
    EXPECT_EQ(top, (std::vector<std::string>{"My Documents", "Program Files", "Temp", "Windows"}));
    const TreeItem series = tree.FindChild(tree.FindChild(root, "My Documents"), "Series");
    EXPECT_NE(tree.FindChild(series, "2026-12-05"), 0u);

    CMemoryFileList list;
    link.FillFileList(u"\\My Documents", list);
    ASSERT_GE(list.GetItemCount(), 10);
    ASSERT_TRUE(list.SelectByLabel("lamp.scope_ks"));
    const int lamp = list.GetNextSelectedItem(-1);
    EXPECT_EQ(list.GetItemText(lamp, 1), "Kiro-SCAN File");
    EXPECT_EQ(list.GetItemText(lamp, 2), "8254 bytes");
    EXPECT_EQ(list.GetItemText(lamp, 3), "12/5/2026  9:0:0 AM");
    link.FillFileList(u"\\My Documents\\Empty", list);
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_TRUE(messageBox.shown.empty());
}

TEST_F(SimIntegrationTest, CopiesDeletesAndCreatesThroughTheRealClient) {
    CSimProcess sim({"--refuse-delete", "*.log_ks"});
    CSocketEnvironment environment(sim.SocketPath());
    CDeviceLink link(api, messageBox);
    ASSERT_EQ(link.Connect(), kConnectOk);
    test::CRecordingProgressBar bar;
    EXPECT_EQ(link.TransferFile(u"\\My Documents", u"lamp.scope_ks", pcDir.Path().string(),
                                "lamp.scope_ks", 4096, &bar),
              8254);
    EXPECT_EQ(test::ReadFileBytes(pcDir / "lamp.scope_ks"),
              test::ReadFileBytes(sim.Root() / "My Documents/lamp.scope_ks"));
    EXPECT_EQ(bar.upper, 3);
    EXPECT_EQ(bar.positions, (std::vector<int>{1, 2, 3}));

    EXPECT_EQ(link.TransferFile(u"\\My Documents", u"absent.scope_ks", pcDir.Path().string(),
                                "absent.scope_ks", 4096, nullptr),
              kTransferDeviceFileCannotBeOpened);
    EXPECT_EQ(link.DeleteDeviceFile(u"\\My Documents", u"session.log_ks"), 0);
    EXPECT_TRUE(std::filesystem::exists(sim.Root() / "My Documents/session.log_ks"));
    EXPECT_NE(link.DeleteDeviceFile(u"\\My Documents", u"noise.scope_ks"), 0);
    EXPECT_FALSE(std::filesystem::exists(sim.Root() / "My Documents/noise.scope_ks"));
    EXPECT_NE(link.CreateDeviceDirectory(u"\\Temp\\Run 7"), 0);
    EXPECT_TRUE(std::filesystem::is_directory(sim.Root() / "Temp/Run 7"));
    EXPECT_EQ(link.CreateDeviceDirectory(u"\\..\\outside"), 0);
    CMemoryFileList list;
    link.FillFileList(u"\\Nowhere", list);
    EXPECT_TRUE(link.LastListingFailed());
    EXPECT_TRUE(link.IsConnected());
    EXPECT_FALSE(link.ConnectionLost()) << "refusals and missing files are no loss";
    link.Disconnect();
    EXPECT_EQ(sim.Stop(), 0);
    EXPECT_FALSE(std::filesystem::exists(sim.SocketPath())) << "the socket is removed on exit";
}

TEST_F(SimIntegrationTest, AReadThatFailsPartWayKeepsNothing) {
    CSimProcess sim({"--fail-read-after", "5000"});
    CSocketEnvironment environment(sim.SocketPath());
    CDeviceLink link(api, messageBox);
    ASSERT_EQ(link.Connect(), kConnectOk);
    test::WriteFileBytes(pcDir / "lamp.scope_ks", "older copy");
    EXPECT_EQ(link.TransferFile(u"\\My Documents", u"lamp.scope_ks", pcDir.Path().string(),
                                "lamp.scope_ks", 4096, nullptr),
              kTransferFailedPartWay);
    EXPECT_EQ(test::ReadFileBytes(pcDir / "lamp.scope_ks"), "older copy");
    EXPECT_EQ(test::ListNames(pcDir.Path()), std::vector<std::string>{"lamp.scope_ks"});
}

// The link notices a handheld killed in the middle of a copy, keeps nothing of the
// copy, answers every later call at once instead of waiting for a time-out, and
// connects afresh to the next handheld.
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

    const auto start = std::chrono::steady_clock::now();
    CMemoryFileList list;
    EXPECT_EQ(link.FillFileList(u"\\", list), 0);
    EXPECT_TRUE(link.LastListingFailed());
    EXPECT_EQ(link.TransferFile(u"\\", u"big.bin", pcDir.Path().string(), "big.bin", 4096, &bar),
              kTransferConnectionLost);
    EXPECT_EQ(link.DeleteDeviceFile(u"\\", u"big.bin"), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500))
        << "far less than a call's time-out";

    environment.reset();
    sim = std::make_unique<CSimProcess>();
    CSocketEnvironment pointed(sim->SocketPath());
    ASSERT_EQ(link.Connect(), kConnectOk);
    EXPECT_FALSE(link.ConnectionLost());
    EXPECT_EQ(link.FillFileList(u"\\My Documents", list), 1);
    EXPECT_GT(list.GetItemCount(), 0);
    link.Disconnect();
}

TEST_F(SimIntegrationTest, TimesOutWhenNothingListensAndThenConnectsAfresh) {
    test::CTempDir socketDir;
    const std::string socketPath = (socketDir.Path() / "none.sock").string();
    CSocketEnvironment environment(socketPath);
    CDeviceLink link(api, messageBox);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(link.Connect(), kConnectTimeout);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(1900));
    EXPECT_LT(waited, std::chrono::milliseconds(4000));

    CSimProcess sim;
    CSocketEnvironment pointed(sim.SocketPath());
    EXPECT_EQ(link.Connect(), kConnectOk) << "the failed attempt did not leave the API initialised";
    link.Disconnect();
}

TEST_F(SimIntegrationTest, ASlowGreetingWithinTheWaitStillConnects) {
    CSimProcess sim({"--greeting-delay", "300"});
    CSocketEnvironment environment(sim.SocketPath());
    CDeviceLink link(api, messageBox);
    EXPECT_EQ(link.Connect(), kConnectOk);
}

TEST_F(SimIntegrationTest, ADroppedConnectionIsNoticedAndLaterCallsFailAtOnce) {
    CSimProcess sim({"--drop-after", "1"});
    CSocketEnvironment environment(sim.SocketPath());
    CDeviceLink link(api, messageBox);
    ASSERT_EQ(link.Connect(), kConnectOk);
    CMemoryFileList list;
    link.FillFileList(u"\\My Documents", list);
    EXPECT_GT(list.GetItemCount(), 0);
    EXPECT_FALSE(link.ConnectionLost());
    EXPECT_EQ(link.FillFileList(u"\\My Documents", list), 1);
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_TRUE(link.LastListingFailed());
    EXPECT_TRUE(link.ConnectionLost());
    EXPECT_FALSE(link.IsConnected());
    EXPECT_EQ(link.TransferFile(u"\\My Documents", u"lamp.scope_ks", pcDir.Path().string(),
                                "lamp.scope_ks", 4096, nullptr),
              kTransferConnectionLost);
    EXPECT_TRUE(test::ListNames(pcDir.Path()).empty());
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
