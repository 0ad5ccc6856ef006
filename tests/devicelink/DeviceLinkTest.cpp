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

    test::CFakeRemoteApi api;
    test::CRecordingMessageBox messageBox;
    CDeviceLink link{api, messageBox};
};

TEST_F(DeviceLinkTest, ConnectsAndDisconnectsOnce) {
    EXPECT_EQ(link.m_bConnected, 0);
    EXPECT_EQ(link.Disconnect(), 0);
    EXPECT_EQ(api.uninitCalls, 0) << "nothing to end while not connected";
    EXPECT_EQ(link.Connect(), kConnectOk);
    EXPECT_EQ(link.m_bConnected, 1);
    EXPECT_EQ(api.lastInitSize, 12u);
    EXPECT_EQ(api.lastWaitMs, 2000u);
    EXPECT_EQ(link.Connect(), kConnectAlreadyInitialised);
    EXPECT_EQ(api.initCalls, 1) << "connecting while connected never starts the remote API";
    link.Disconnect();
    EXPECT_EQ(link.m_bConnected, 0);
    EXPECT_EQ(api.uninitCalls, 1);
}

TEST_F(DeviceLinkTest, TheDestructorEndsALiveConnectionOnly) {
    test::CFakeRemoteApi other;
    {
        CDeviceLink connected(other, messageBox);
        connected.Connect();
    }
    EXPECT_EQ(other.uninitCalls, 1);
    {
        CDeviceLink closedByHand(other, messageBox);
        closedByHand.Connect();
        closedByHand.Disconnect();
    }
    EXPECT_EQ(other.uninitCalls, 2);
}

TEST_F(DeviceLinkTest, AFailedAttemptLeavesTheRemoteApiFreeForTheNext) {
    api.waitResult = WAIT_TIMEOUT;
    EXPECT_EQ(link.Connect(), kConnectTimeout);
    EXPECT_EQ(link.m_bConnected, 0);
    EXPECT_EQ(api.uninitCalls, 1);

    api.waitResult = WAIT_FAILED;
    EXPECT_EQ(link.Connect(), kConnectGeneralFailure);
    EXPECT_EQ(api.uninitCalls, 2);

    api.waitResult = WAIT_OBJECT_0;
    EXPECT_EQ(link.Connect(), kConnectOk);
    EXPECT_EQ(api.initCalls, 3);
}

TEST_F(DeviceLinkTest, TellsInitialisationFailuresApart) {
    api.initResult = CERAPI_E_ALREADYINITIALIZED;
    EXPECT_EQ(link.Connect(), kConnectAlreadyInitialised);
    api.initResult = E_FAIL;
    EXPECT_EQ(link.Connect(), kConnectGeneralFailure);
    EXPECT_EQ(api.uninitCalls, 0) << "nothing was initialised";
    EXPECT_EQ(link.m_bConnected, 0);
}

TEST_F(DeviceLinkTest, EveryOperationIsInertWhileNotConnected) {
    api.AddFile(u"\\a.scope_ks", "x");
    CMemoryTree tree;
    CMemoryFileList list;
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
    EXPECT_TRUE(api.finds.empty());
    EXPECT_TRUE(api.opened.empty());
    EXPECT_TRUE(api.created.empty());
}

TEST_F(DeviceLinkTest, ReadsTheWholeFolderTreeDepthFirstAndSorted) {
    ConnectLink();
    api.AddFolder(u"\\Temp\\Sub");
    api.AddFolder(u"\\temp2");
    api.AddFolder(u"\\Alpha");
    api.AddFile(u"\\Temp\\a.txt");
    CMemoryTree tree;
    const TreeItem root = tree.InsertItem(kRootItemLabel, 2, 2, 0);
    EXPECT_EQ(link.FillFolderTree(u"\\", kTreeFindFlags, tree, root), 1);
    tree.SortChildren(root);

    ASSERT_EQ(api.finds.size(), 5u);
    EXPECT_EQ(api.finds[0].first, u"\\*");
    for (const auto& [pattern, flags] : api.finds) {
        EXPECT_EQ(flags, 16513u);
    }
    EXPECT_EQ(api.outstandingBuffers, 0);
    std::vector<std::string> top;
    for (TreeItem child : tree.Children(root)) {
        top.push_back(tree.GetItemText(child));
    }
    EXPECT_EQ(top, (std::vector<std::string>{"Alpha", "Temp", "temp2"}));
    const TreeItem temp = tree.FindChild(root, "Temp");
    ASSERT_NE(tree.FindChild(temp, "Sub"), 0u);
    EXPECT_EQ(tree.Children(temp).size(), 1u) << "files never appear in the tree";
    EXPECT_EQ(tree.NodeAt(temp).image, 0);
}

TEST_F(DeviceLinkTest, AFailedSearchIsReportedOnceAndTheFillGoesOn) {
    ConnectLink();
    api.AddFolder(u"\\Bad\\Hidden");
    api.AddFolder(u"\\Good\\Inner");
    api.failingFinds.insert(u"\\Bad\\*");
    CMemoryTree tree;
    const TreeItem root = tree.InsertItem(kRootItemLabel, 2, 2, 0);
    link.FillFolderTree(u"\\", kTreeFindFlags, tree, root);
    ASSERT_EQ(messageBox.shown.size(), 1u);
    EXPECT_EQ(messageBox.shown[0].text, "Find file failed");
    EXPECT_EQ(messageBox.shown[0].owner, MessageOwner::Application);
    EXPECT_TRUE(tree.Children(tree.FindChild(root, "Bad")).empty());
    EXPECT_NE(tree.FindChild(tree.FindChild(root, "Good"), "Inner"), 0u);
}

TEST_F(DeviceLinkTest, TurnsTheSelectionIntoADevicePath) {
    ConnectLink();
    CMemoryTree tree;
    const TreeItem root = tree.InsertItem(kRootItemLabel, 2, 2, 0);
    const TreeItem temp = tree.InsertItem("Temp", 0, 0, root);
    const TreeItem sub = tree.InsertItem("Sub", 0, 0, temp);
    std::u16string wide;
    std::string narrow;
    tree.SelectItem(root);
    EXPECT_EQ(link.GetSelectedFolderPath(tree, &wide, &narrow), 1);
    EXPECT_EQ(wide, u"\\");
    EXPECT_EQ(narrow, "\\");
    tree.SelectItem(sub);
    EXPECT_EQ(link.GetSelectedFolderPath(tree, &wide, &narrow), 1);
    EXPECT_EQ(wide, u"\\Temp\\Sub");
    EXPECT_EQ(narrow, "\\Temp\\Sub");
    EXPECT_EQ(link.GetSelectedFolderPath(tree, nullptr, &narrow), 1);

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
    // 14:07:09 on 3 July 1999.
    api.files[u"\\Temp\\b.scope_ks"].lastWrite = {0x56B0A480u, 0x01BEC55Du};
    CMemoryFileList list;
    list.InsertItem("stale", 4);
    EXPECT_EQ(link.FillFileList(u"\\Temp", list), 1);
    ASSERT_EQ(api.finds.back(), std::make_pair(std::u16string(u"\\Temp\\*"), DWORD{169}));
    EXPECT_EQ(api.outstandingBuffers, 0);
    ASSERT_EQ(list.GetItemCount(), 3);
    EXPECT_EQ(list.GetItemText(0, 0), "A.txt");
    EXPECT_EQ(list.GetItemText(0, 1), "TXT file");
    EXPECT_EQ(list.GetItemText(0, 2), "0 bytes");
    EXPECT_EQ(list.GetItemText(1, 0), "b.scope_ks");
    EXPECT_EQ(list.RowAt(1).image, 5);
    EXPECT_EQ(list.GetItemText(1, 1), "Kiro-SCAN File");
    EXPECT_EQ(list.GetItemText(1, 2), "1024 bytes");
    EXPECT_EQ(list.GetItemText(1, 3), "7/3/1999  2:7:9 PM");
    EXPECT_EQ(list.GetItemText(2, 2), "3221225472 bytes");

    link.FillFileList(u"\\", list);
    EXPECT_EQ(api.finds.back().first, u"\\*");
    EXPECT_EQ(list.GetItemCount(), 0) << "the root holds only a folder";
    link.FillFileList(u"\\Temp\\OnlyFolders", list);
    EXPECT_EQ(list.GetItemCount(), 0);
}

TEST_F(DeviceLinkTest, AFailedListingLeavesTheListEmptyWithoutAMessage) {
    ConnectLink();
    api.AddFile(u"\\Data\\a.txt");
    api.failingFinds.insert(u"\\Data\\*");
    CMemoryFileList list;
    list.InsertItem("stale", 4);
    EXPECT_EQ(link.FillFileList(u"\\Data", list), 1);
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_TRUE(link.LastListingFailed());
    EXPECT_TRUE(messageBox.shown.empty());
    EXPECT_EQ(link.FillFileList(u"", list), 0);
    EXPECT_TRUE(link.LastListingFailed());

    api.AddFolder(u"\\Empty");
    EXPECT_EQ(link.FillFileList(u"\\Empty", list), 1);
    EXPECT_FALSE(link.LastListingFailed()) << "an empty folder was read";
    EXPECT_TRUE(link.IsConnected());
    EXPECT_FALSE(link.ConnectionLost()) << "a failed search is no loss";
}

// After the handheld is lost every operation returns at once without touching the
// remote API, and a new Connect starts afresh.
TEST_F(DeviceLinkTest, ALostHandheldEndsTheLinkUntilTheNextConnect) {
    api.AddFolder(u"\\Data\\Sub");
    api.AddFile(u"\\Data\\a.scope_ks", "abc");
    ConnectLink();
    CMemoryFileList list;
    api.callsBeforeLoss = 0;  // the listing's own search finds the connection broken
    EXPECT_EQ(link.FillFileList(u"\\Data", list), 1);
    EXPECT_TRUE(link.LastListingFailed());
    EXPECT_TRUE(link.ConnectionLost());
    EXPECT_FALSE(link.IsConnected());
    EXPECT_EQ(api.uninitCalls, 1) << "the remote API is given back at once";

    const std::size_t callsSoFar = api.finds.size() + api.opened.size();
    CMemoryTree tree;
    EXPECT_EQ(link.FillFolderTree(u"\\", kTreeFindFlags, tree, 0), 0);
    EXPECT_TRUE(link.LastListingFailed());
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
    EXPECT_FALSE(link.LastListingFailed());
}

TEST_F(DeviceLinkTest, ALossDuringTheTreeStopsItWithoutAFindFailedBox) {
    for (const char16_t* folder : {u"\\A\\A1", u"\\B\\B1", u"\\C\\C1"}) {
        api.AddFolder(folder);
    }
    ConnectLink();
    api.callsBeforeLoss = 2;  // the root and \A are read, \A\A1 is not
    CMemoryTree tree;
    const TreeItem root = tree.InsertItem(kRootItemLabel, 2, 2, 0);
    EXPECT_EQ(link.FillFolderTree(u"\\", kTreeFindFlags, tree, root), 1);
    EXPECT_FALSE(link.LastListingFailed()) << "the root itself was read";
    EXPECT_TRUE(link.ConnectionLost());
    EXPECT_EQ(api.finds.size(), 3u) << "nothing is asked after the loss";
    EXPECT_TRUE(messageBox.shown.empty());
    EXPECT_EQ(api.outstandingBuffers, 0);
}

TEST_F(DeviceLinkTest, ALossDuringADeleteOrACreateIsNoticed) {
    api.AddFile(u"\\a.scope_ks");
    ConnectLink();
    api.callsBeforeLoss = 0;
    EXPECT_EQ(link.DeleteDeviceFile(u"\\", u"a.scope_ks"), 0);
    EXPECT_TRUE(link.ConnectionLost());
    EXPECT_FALSE(link.IsConnected());

    ConnectLink();
    api.LoseConnection();
    EXPECT_EQ(link.CreateDeviceDirectory(u"\\New"), 0);
    EXPECT_TRUE(link.ConnectionLost());
    EXPECT_EQ(api.uninitCalls, 2);
}

TEST_F(DeviceLinkTest, DeletesAndCreatesByFullPath) {
    ConnectLink();
    api.AddFile(u"\\a.scope_ks");
    api.AddFile(u"\\Data\\b.scope_ks");
    api.AddFile(u"\\Data\\locked.scope_ks");
    api.files[u"\\Data\\locked.scope_ks"].refuseDelete = true;
    EXPECT_NE(link.DeleteDeviceFile(u"\\", u"a.scope_ks"), 0);
    EXPECT_NE(link.DeleteDeviceFile(u"\\Data", u"b.scope_ks"), 0);
    EXPECT_EQ(link.DeleteDeviceFile(u"\\Data", u"locked.scope_ks"), 0);
    EXPECT_EQ(link.DeleteDeviceFile(u"\\Data", u"absent"), 0);
    EXPECT_EQ(api.deleted, (std::vector<std::u16string>{u"\\a.scope_ks", u"\\Data\\b.scope_ks"}));
    EXPECT_NE(link.CreateDeviceDirectory(u"\\Data\\New"), 0);
    EXPECT_EQ(link.CreateDeviceDirectory(u"\\Data\\New"), 0);
    EXPECT_EQ(link.CreateDeviceDirectory(u"\\" + std::u16string(259, u'x')), 0);
    EXPECT_EQ(link.DeleteDeviceFile(u"\\", std::u16string(259, u'x')), 0);
    EXPECT_EQ(api.created, (std::vector<std::u16string>{u"\\Data\\New", u"\\Data\\New"}));
}

}  // namespace
}  // namespace kiro
