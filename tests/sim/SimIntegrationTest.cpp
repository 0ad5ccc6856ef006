#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "devicelink/DeviceLink.h"
#include "devicelink/MemoryControls.h"
#include "devicelink/RecordingProgressBar.h"
#include "sim/SimProcess.h"
#include "support/Fakes.h"

namespace kiro {
namespace {

using test::CSimProcess;
using test::CSocketEnvironment;

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
    const TreeItem documents = tree.FindChild(root, "My Documents");
    const TreeItem series = tree.FindChild(documents, "Series");
    ASSERT_NE(tree.FindChild(series, "2026-12-05"), 0u);
    tree.SelectItem(tree.FindChild(series, "2026-12-05"));
    std::u16string folder;
    ASSERT_EQ(link.GetSelectedFolderPath(tree, &folder, nullptr), 1);
    EXPECT_EQ(folder, u"\\My Documents\\Series\\2026-12-05");

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

TEST_F(SimIntegrationTest, AHandheldKilledDuringACopyLeavesNoBrokenFile) {
    CSimProcess sim({}, false);
    test::WriteFileBytes(sim.Root() / "big.bin", std::string(4 * 1024 * 1024, 'q'));
    CSocketEnvironment environment(sim.SocketPath());
    CDeviceLink link(api, messageBox);
    ASSERT_EQ(link.Connect(), kConnectOk);
    test::CRecordingProgressBar bar;
    bar.onRepaint = [&] {
        if (bar.repaints == 10) {
            sim.Kill();
        }
    };
    EXPECT_EQ(link.TransferFile(u"\\", u"big.bin", pcDir.Path().string(), "big.bin", 4096, &bar),
              kTransferFailedPartWay);
    EXPECT_TRUE(test::ListNames(pcDir.Path()).empty());
    // Later calls fail cleanly instead of hanging.
    CMemoryFileList list;
    EXPECT_EQ(link.FillFileList(u"\\", list), 1);
    EXPECT_EQ(list.GetItemCount(), 0);
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

TEST_F(SimIntegrationTest, ADroppedConnectionFailsLaterCallsCleanly) {
    CSimProcess sim({"--drop-after", "1"});
    CSocketEnvironment environment(sim.SocketPath());
    CDeviceLink link(api, messageBox);
    ASSERT_EQ(link.Connect(), kConnectOk);
    CMemoryFileList list;
    link.FillFileList(u"\\My Documents", list);
    EXPECT_GT(list.GetItemCount(), 0);
    link.FillFileList(u"\\My Documents", list);
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_EQ(link.TransferFile(u"\\My Documents", u"lamp.scope_ks", pcDir.Path().string(),
                                "lamp.scope_ks", 4096, nullptr),
              kTransferDeviceFileCannotBeOpened);
}

}  // namespace
}  // namespace kiro
