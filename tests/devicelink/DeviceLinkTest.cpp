#include "devicelink/DeviceLink.h"

#include <gtest/gtest.h>

#include "devicelink/FakeRemoteApi.h"
#include "devicelink/MemoryControls.h"
#include "platform/rapi/RapiConstants.h"
#include "support/Fakes.h"

namespace kiro {
namespace {

using namespace rapi;

class DeviceLinkTest : public ::testing::Test {
protected:
    void ConnectLink() { ASSERT_EQ(link.Connect(), kConnectOk); }
    TreeItem RootedTree() { return tree.InsertItem(kRootItemLabel, 2, 2, 0); }

    test::CFakeRemoteApi api;
    test::CRecordingMessageBox messageBox;
    CDeviceLink link{api, messageBox};
    CMemoryTree tree;
    CMemoryFileList list;
};

// The remote API is started once per connection and always given back exactly once,
// also after a failed attempt, so that the next attempt can start it again.
TEST_F(DeviceLinkTest, StartsAndEndsTheRemoteApiExactlyOncePerConnection) {
    EXPECT_EQ(link.Disconnect(), 0);
    EXPECT_EQ(api.uninitCalls, 0) << "nothing to end while not connected";
    api.initResult = CERAPI_E_ALREADYINITIALIZED;
    EXPECT_EQ(link.Connect(), kConnectAlreadyInitialised);
    api.initResult = E_FAIL;
    EXPECT_EQ(link.Connect(), kConnectGeneralFailure);
    EXPECT_EQ(api.uninitCalls, 0) << "nothing was initialised";
    api.initResult = S_OK;

    api.waitResult = WAIT_TIMEOUT;
    EXPECT_EQ(link.Connect(), kConnectTimeout);
    api.waitResult = WAIT_FAILED;
    EXPECT_EQ(link.Connect(), kConnectGeneralFailure);
    EXPECT_EQ(api.uninitCalls, 2);
    EXPECT_EQ(link.m_bConnected, 0);

    api.waitResult = WAIT_OBJECT_0;
    const int initsBefore = api.initCalls;
    EXPECT_EQ(link.Connect(), kConnectOk);
    EXPECT_EQ(link.m_bConnected, 1);
    EXPECT_EQ(link.Connect(), kConnectAlreadyInitialised);
    EXPECT_EQ(api.initCalls, initsBefore + 1) << "connecting while connected starts nothing";
    link.Disconnect();
    EXPECT_EQ(api.uninitCalls, 3);

    test::CFakeRemoteApi other;
    {
        CDeviceLink connected(other, messageBox);
        connected.Connect();
    }
    {
        CDeviceLink closedByHand(other, messageBox);
        closedByHand.Connect();
        closedByHand.Disconnect();
    }
    EXPECT_EQ(other.uninitCalls, 2);
}

TEST_F(DeviceLinkTest, EveryOperationIsInertWhileNotConnected) {
    api.AddFile(u"\\a.scope_ks", "x");
    list.InsertItem("keep", 4);
    std::u16string wide = u"untouched";
    EXPECT_EQ(link.GetSelectedFolderPath(tree, &wide, nullptr), 0);
    EXPECT_EQ(wide, u"untouched");
    EXPECT_EQ(link.FillFolderTree(u"\\", kTreeFindFlags, tree, 0), 0);
    EXPECT_EQ(link.FillFileList(u"\\", list), 0);
    EXPECT_EQ(list.GetItemCount(), 1) << "the list is not even emptied";
    EXPECT_EQ(link.TransferFile(u"\\", u"a.scope_ks", "/tmp", "a.scope_ks", 4096, nullptr), 0);
    EXPECT_EQ(link.DeleteDeviceFile(u"\\", u"a.scope_ks"), 0);
    EXPECT_EQ(link.CreateDeviceDirectory(u"\\New"), 0);
    EXPECT_TRUE(api.finds.empty() && api.opened.empty() && api.created.empty());
}

TEST_F(DeviceLinkTest, ReadsTheWholeFolderTreeAndGoesOnPastAFailedSearch) {
    ConnectLink();
    api.AddFolder(u"\\Temp\\Sub");
    api.AddFolder(u"\\temp2");
    api.AddFolder(u"\\Alpha");
    api.AddFolder(u"\\Bad\\Hidden");
    api.AddFile(u"\\Temp\\a.txt");
    api.failingFinds.insert(u"\\Bad\\*");
    const TreeItem root = RootedTree();
    EXPECT_EQ(link.FillFolderTree(u"\\", kTreeFindFlags, tree, root), 1);
    tree.SortChildren(root);

    EXPECT_EQ(api.outstandingBuffers, 0);
    std::vector<std::string> top;
    for (TreeItem child : tree.Children(root)) {
        top.push_back(tree.GetItemText(child));
    }
    EXPECT_EQ(top, (std::vector<std::string>{"Alpha", "Bad", "Temp", "temp2"}));
    const TreeItem temp = tree.FindChild(root, "Temp");
    ASSERT_NE(tree.FindChild(temp, "Sub"), 0u);
    EXPECT_EQ(tree.Children(temp).size(), 1u) << "files never appear in the tree";
    EXPECT_TRUE(tree.Children(tree.FindChild(root, "Bad")).empty());
    ASSERT_EQ(messageBox.shown.size(), 1u);
    EXPECT_EQ(messageBox.shown[0].text, "Find file failed");
}

TEST_F(DeviceLinkTest, TurnsTheSelectionIntoADevicePath) {
    ConnectLink();
    const TreeItem root = RootedTree();
    const TreeItem sub = tree.InsertItem("Sub", 0, 0, tree.InsertItem("Temp", 0, 0, root));
    std::u16string wide;
    std::string narrow;
    tree.SelectItem(root);
    EXPECT_EQ(link.GetSelectedFolderPath(tree, &wide, &narrow), 1);
    EXPECT_EQ(wide, u"\\");
    tree.SelectItem(sub);
    EXPECT_EQ(link.GetSelectedFolderPath(tree, &wide, &narrow), 1);
    EXPECT_EQ(wide, u"\\Temp\\Sub");
    EXPECT_EQ(narrow, "\\Temp\\Sub");

    TreeItem deep = sub;
    for (int i = 0; i < 30; ++i) {
        deep = tree.InsertItem("folder-" + std::to_string(i), 0, 0, deep);
    }
    tree.SelectItem(deep);
    wide = u"kept";
    EXPECT_EQ(link.GetSelectedFolderPath(tree, &wide, &narrow), 0) << "over 259 characters";
    EXPECT_EQ(wide, u"kept");
}

TEST_F(DeviceLinkTest, ListsFilesWithKindSizeAndDate) {
    ConnectLink();
    api.AddFolder(u"\\Temp\\OnlyFolders");
    api.AddFile(u"\\Temp\\b.scope_ks", std::string(1024, 'x'));
    api.AddFile(u"\\Temp\\A.txt", "");
    api.AddFile(u"\\Temp\\huge.bin", "");
    api.files[u"\\Temp\\huge.bin"].reportedSizeLow = 0xC0000000u;
    api.files[u"\\Temp\\b.scope_ks"].lastWrite = {0x56B0A480u, 0x01BEC55Du};
    list.InsertItem("stale", 4);
    EXPECT_EQ(link.FillFileList(u"\\Temp", list), 1);
    EXPECT_EQ(api.outstandingBuffers, 0);
    ASSERT_EQ(list.GetItemCount(), 3);
    EXPECT_EQ(list.GetItemText(0, 0), "A.txt");
    EXPECT_EQ(list.GetItemText(1, 0), "b.scope_ks");
    EXPECT_EQ(list.RowAt(1).image, 5);
    EXPECT_EQ(list.GetItemText(1, 1), "Kiro-SCAN File");
    EXPECT_EQ(list.GetItemText(1, 2), "1024 bytes");
    EXPECT_EQ(list.GetItemText(1, 3), "7/3/1999  2:7:9 PM");
    EXPECT_EQ(list.GetItemText(2, 2), "3221225472 bytes");

    for (const char16_t* onlyFolders : {u"\\", u"\\Temp\\OnlyFolders"}) {
        EXPECT_EQ(link.FillFileList(onlyFolders, list), 1);
        EXPECT_EQ(list.GetItemCount(), 0);
        EXPECT_FALSE(link.LastListingFailed()) << "an empty folder was read";
    }
}

TEST_F(DeviceLinkTest, AFailedListingLeavesTheListEmptyWithoutAMessage) {
    ConnectLink();
    api.AddFile(u"\\Data\\a.txt");
    api.failingFinds.insert(u"\\Data\\*");
    list.InsertItem("stale", 4);
    EXPECT_EQ(link.FillFileList(u"\\Data", list), 1);
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_TRUE(link.LastListingFailed());
    EXPECT_TRUE(messageBox.shown.empty());
    EXPECT_EQ(link.FillFileList(u"", list), 0);
    EXPECT_TRUE(link.LastListingFailed());
    EXPECT_TRUE(link.IsConnected());
    EXPECT_FALSE(link.ConnectionLost()) << "a failed search is no loss";
}

// After the handheld is lost every operation returns at once without touching the
// remote API, and a new Connect starts afresh.
TEST_F(DeviceLinkTest, ALostHandheldEndsTheLinkUntilTheNextConnect) {
    api.AddFolder(u"\\Data\\Sub");
    api.AddFile(u"\\Data\\a.scope_ks", "abc");
    ConnectLink();
    // Paths over 259 characters are refused before they reach the handheld.
    EXPECT_EQ(link.CreateDeviceDirectory(u"\\" + std::u16string(259, u'x')), 0);
    EXPECT_EQ(link.DeleteDeviceFile(u"\\", std::u16string(259, u'x')), 0);
    EXPECT_TRUE(api.created.empty());
    api.callsBeforeLoss = 0;  // the listing's own search finds the connection broken
    EXPECT_EQ(link.FillFileList(u"\\Data", list), 1);
    EXPECT_TRUE(link.LastListingFailed());
    EXPECT_TRUE(link.ConnectionLost());
    EXPECT_FALSE(link.IsConnected());
    EXPECT_EQ(api.uninitCalls, 1) << "the remote API is given back at once";

    const std::size_t callsSoFar = api.finds.size() + api.opened.size();
    EXPECT_EQ(link.FillFolderTree(u"\\", kTreeFindFlags, tree, 0), 0);
    EXPECT_EQ(link.FillFileList(u"\\Data", list), 0);
    EXPECT_EQ(link.TransferFile(u"\\Data", u"a.scope_ks", "/tmp", "a.scope_ks", 4096, nullptr),
              kTransferConnectionLost);
    EXPECT_EQ(link.DeleteDeviceFile(u"\\Data", u"a.scope_ks"), 0);
    EXPECT_EQ(link.CreateDeviceDirectory(u"\\Data\\New"), 0);
    EXPECT_EQ(api.finds.size() + api.opened.size(), callsSoFar);
    EXPECT_TRUE(api.deleted.empty() && api.created.empty());
    EXPECT_EQ(link.Disconnect(), 0);
    EXPECT_EQ(api.uninitCalls, 1) << "never given back twice";

    EXPECT_EQ(link.Connect(), kConnectOk);
    EXPECT_FALSE(link.ConnectionLost());
    EXPECT_EQ(link.FillFileList(u"\\Data", list), 1);
    EXPECT_EQ(list.GetItemCount(), 1);

    // A loss found by a delete or a create ends the link the same way.
    api.callsBeforeLoss = 0;
    EXPECT_EQ(link.DeleteDeviceFile(u"\\Data", u"a.scope_ks"), 0);
    EXPECT_TRUE(link.ConnectionLost());
    ConnectLink();
    api.LoseConnection();
    EXPECT_EQ(link.CreateDeviceDirectory(u"\\New"), 0);
    EXPECT_TRUE(link.ConnectionLost());
    EXPECT_EQ(api.uninitCalls, 3);
}

TEST_F(DeviceLinkTest, ALossDuringTheTreeStopsItWithoutAFindFailedBox) {
    for (const char16_t* folder : {u"\\A\\A1", u"\\B\\B1", u"\\C\\C1"}) {
        api.AddFolder(folder);
    }
    ConnectLink();
    api.callsBeforeLoss = 2;  // the root and \A are read, \A\A1 is not
    EXPECT_EQ(link.FillFolderTree(u"\\", kTreeFindFlags, tree, RootedTree()), 1);
    EXPECT_FALSE(link.LastListingFailed()) << "the root itself was read";
    EXPECT_TRUE(link.ConnectionLost());
    EXPECT_EQ(api.finds.size(), 3u) << "nothing is asked after the loss";
    EXPECT_TRUE(messageBox.shown.empty());
    EXPECT_EQ(api.outstandingBuffers, 0);
}

}  // namespace
}  // namespace kiro
