#include "devicelink/DeviceLink.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <random>

#ifndef _WIN32
#include <fnmatch.h>
#endif

#include "devicelink/DateAndSizeTexts.h"
#include "devicelink/FakeRemoteApi.h"
#include "devicelink/FileKinds.h"
#include "devicelink/HandheldCommands.h"
#include "devicelink/MemoryControls.h"
#include "devicelink/NamePatterns.h"
#include "platform/rapi/RapiConstants.h"
#include "support/Fakes.h"
#include "support/TempDir.h"

namespace kiro {
namespace {

using namespace rapi;
using test::ListNames;
using test::ReadFileBytes;

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

// Without the remote API library (on Windows) Connect says what is missing, in the words
// of the command line, instead of a general failure.
TEST_F(DeviceLinkTest, ConnectWithoutTheRemoteApiLibrarySaysTheSoftwareIsMissing) {
    test::CRecordingTextPane status;
    CHandheldCommands commands(
        {link, tree, list, messageBox, status, [](const std::string&) {}, [](bool) {}});
    api.initResult = E_FAIL;
    api.fault = LinkFault::NotInstalled;
    api.problem = "the device-sync software is not installed (rapi.dll was not found)";
    commands.OnConnect();
    api.fault = LinkFault::None;
    commands.OnConnect();
    ASSERT_EQ(messageBox.shown.size(), 2u);
    EXPECT_EQ(messageBox.shown[0].text,
              "The device-sync software is not installed (rapi.dll was not found).");
    EXPECT_EQ(messageBox.shown[0].caption, "RAPI Connection Error");
    EXPECT_EQ(messageBox.shown[0].owner, MessageOwner::MainWindow);
    EXPECT_EQ(messageBox.shown[1].text, "General RAPI Connection Error");
    EXPECT_EQ(commands.State(), ConnectState::NotConnected);
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
        EXPECT_TRUE(link.ListFolder(onlyFolders, list).Listed()) << "an empty folder was read";
    }

    // A failed search leaves the list empty, without a message and without ending the link.
    api.failingFinds.insert(u"\\Temp\\*");
    list.InsertItem("stale", 4);
    EXPECT_EQ(link.FillFileList(u"\\Temp", list), 1);
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_FALSE(link.ListFolder(u"\\Temp", list).Listed());
    EXPECT_EQ(link.FillFileList(u"", list), 0);
    EXPECT_FALSE(link.ListFolder(u"", list).Listed());
    EXPECT_TRUE(messageBox.shown.empty());
    EXPECT_TRUE(link.IsConnected());
    EXPECT_FALSE(link.ConnectionLost()) << "a failed search is no loss";
}

// Before a Connect and after the handheld is lost every operation returns at once without
// touching the remote API or the controls, and a new Connect starts afresh.
TEST_F(DeviceLinkTest, ALostHandheldEndsTheLinkUntilTheNextConnect) {
    api.AddFolder(u"\\Data\\Sub");
    api.AddFile(u"\\Data\\a.scope_ks", "abc");
    tree.SelectItem(RootedTree());
    std::u16string wide = u"untouched";
    EXPECT_EQ(link.GetSelectedFolderPath(tree, &wide, nullptr), 0);
    EXPECT_EQ(link.FillFileList(u"\\Data", list), 0);
    EXPECT_EQ(link.DeleteDeviceFile(u"\\Data", u"a.scope_ks"), 0);
    EXPECT_TRUE(api.finds.empty() && api.deleted.empty()) << "never connected";
    ConnectLink();
    // Paths over 259 characters are refused before they reach the handheld.
    EXPECT_EQ(link.CreateDeviceDirectory(u"\\" + std::u16string(259, u'x')), 0);
    EXPECT_EQ(link.DeleteDeviceFile(u"\\", std::u16string(259, u'x')), 0);
    EXPECT_TRUE(api.created.empty());
    api.callsBeforeLoss = 0;  // the listing's own search finds the connection broken
    EXPECT_EQ(link.ListFolder(u"\\Data", list).status, ListingStatus::Unreadable);
    EXPECT_TRUE(link.ConnectionLost());
    EXPECT_FALSE(link.IsConnected());
    EXPECT_EQ(api.uninitCalls, 1) << "the remote API is given back at once";

    const std::size_t callsSoFar = api.finds.size() + api.opened.size();
    EXPECT_EQ(link.GetSelectedFolderPath(tree, &wide, nullptr), 0);
    EXPECT_EQ(wide, u"untouched");
    EXPECT_EQ(link.FillFolderTree(u"\\", kTreeFindFlags, tree, 0), 0);
    list.InsertItem("keep", 4);
    EXPECT_EQ(link.FillFileList(u"\\Data", list), 0);
    EXPECT_EQ(list.GetItemCount(), 1) << "the list is not even emptied";
    const test::CTempDir pcDir;
    EXPECT_EQ(link.TransferFile(u"\\Data", u"a.scope_ks", pcDir.Path().string(), "a.scope_ks", 4096,
                                nullptr),
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
    const FolderListing root = link.ReadFolderTree(u"\\", kTreeFindFlags, tree, RootedTree());
    EXPECT_GT(root.entries, 0);
    EXPECT_TRUE(root.Listed()) << "the root itself was read";
    EXPECT_TRUE(link.ConnectionLost());
    EXPECT_EQ(api.finds.size(), 3u) << "nothing is asked after the loss";
    EXPECT_TRUE(messageBox.shown.empty());
    EXPECT_EQ(api.outstandingBuffers, 0);
}

class TransferFileTest : public DeviceLinkTest {
protected:
    TransferFileTest() { link.Connect(); }

    std::int64_t Copy(const std::u16string& name, std::uint32_t chunk = 4096) {
        std::string pcName(name.begin(), name.end());
        return link.TransferFile(u"\\", name, dir.Path().string(), pcName, chunk, &bar);
    }
    // The same copy, as the typed outcome beneath TransferFile tells it.
    PcCopy CopyOutcome(const std::u16string& name, const std::string& pcFolder = "") {
        const auto replace = [](const ExistingFileQuestion&) {
            return ExistingFileChoice::Replace;
        };
        return link.CopyFileToPc(u"\\", name, pcFolder.empty() ? dir.Path().string() : pcFolder,
                                 std::string(name.begin(), name.end()), 4096, &bar, replace);
    }
    // A device file of `size` bytes beside an earlier PC copy of the same name.
    void AddBesideEarlierCopy(const std::u16string& name, std::size_t size) {
        api.AddFile(u"\\" + name, std::string(size, 'z'));
        test::WriteFileBytes(dir / std::string(name.begin(), name.end()), "earlier copy");
    }
    void ExpectOnlyTheEarlierCopy() {
        EXPECT_EQ(ListNames(dir.Path()), std::vector<std::string>{"a.scope_ks"});
        EXPECT_EQ(ReadFileBytes(dir / "a.scope_ks"), "earlier copy");
        EXPECT_EQ(api.openHandles, 0);
    }

    test::CTempDir dir;
    test::CRecordingProgressBar bar;
};

TEST_F(TransferFileTest, CopiesInChunksReplacingThePcFileAndRunsTheBarToItsEnd) {
    const struct {
        std::size_t size;
        std::vector<DWORD> reads;
        int range;
    } cases[] = {{0, {0}, 1}, {5000, {4096, 904}, 2}, {8192, {4096, 4096, 0}, 3}};
    for (const auto& c : cases) {
        const std::string content(c.size, 'k');
        api.AddFile(u"\\a.scope_ks", content);
        test::WriteFileBytes(dir / "a.scope_ks", std::string(9000, 'o'));
        api.readSizes.clear();
        bar = {};
        EXPECT_EQ(Copy(u"a.scope_ks"), static_cast<std::int64_t>(c.size));
        EXPECT_EQ(api.readSizes, c.reads) << c.size;
        EXPECT_EQ(bar.upper, c.range);
        ASSERT_FALSE(bar.positions.empty());
        EXPECT_EQ(bar.positions.back(), c.range);
        EXPECT_EQ(ReadFileBytes(dir / "a.scope_ks"), content);
    }
    EXPECT_EQ(api.openHandles, 0);

    api.AddFile(u"\\Data\\b.dark_ks", "dark");
    EXPECT_EQ(link.TransferFile(u"\\Data", u"b.dark_ks", dir.Path().string() + "/", "b.dark_ks",
                                4096, nullptr),
              4);
    EXPECT_EQ(api.opened.back(), u"\\Data\\b.dark_ks");
    EXPECT_EQ(ReadFileBytes(dir / "b.dark_ks"), "dark");
}

// TransferFile answers 0 for both; the typed outcome tells them apart.
TEST_F(TransferFileTest, AnEmptyFileCopiedIsASuccessAndACopyWhileNotConnectedAFailure) {
    api.AddFile(u"\\empty.txt", "");
    const auto copy = [&] {
        return link.CopyFileToPc(u"\\", u"empty.txt", dir.Path().string(), "empty.txt", 4096, &bar,
                                 {});
    };
    const PcCopy empty = copy();
    EXPECT_TRUE(empty.Copied());
    EXPECT_EQ(empty.bytes, 0u);
    link.Disconnect();
    const PcCopy refused = copy();
    EXPECT_EQ(refused.status, CopyStatus::NotConnected);
    EXPECT_EQ(TransferResultOf(empty), TransferResultOf(refused)) << "the same 0 at the boundary";
}

TEST_F(TransferFileTest, ScalesTheBarForFilesOfMoreThan65535Chunks) {
    api.AddFile(u"\\big.bin", std::string(200000, 'b'));
    EXPECT_EQ(Copy(u"big.bin", 2), 200000);
    EXPECT_EQ(bar.upper, 65535);
    ASSERT_FALSE(bar.positions.empty());
    EXPECT_EQ(bar.positions.back(), 65535);
    EXPECT_TRUE(std::is_sorted(bar.positions.begin(), bar.positions.end()));

    // A size query that fails answers all ones; read a byte at a time, that must not wrap.
    api.AddFile(u"\\odd.bin", "odd");
    api.files[u"\\odd.bin"].reportedSizeLow = INVALID_FILE_SIZE;
    EXPECT_EQ(Copy(u"odd.bin", 1), 3);
    EXPECT_EQ(bar.upper, 65535);
    EXPECT_EQ(ReadFileBytes(dir / "odd.bin"), "odd");
}

TEST_F(TransferFileTest, RefusesMissingAndUnsafeNamesBeforeTouchingAnything) {
    api.AddFile(u"\\a.scope_ks", "x");
    const std::string pc = dir.Path().string();
    const auto transfer = [&](const std::u16string& folder, const std::u16string& name,
                              const std::string& pcFolder, const std::string& pcName) {
        return link.TransferFile(folder, name, pcFolder, pcName, 4096, &bar);
    };
    EXPECT_EQ(transfer(u"\\", u"", pc, "a"), kTransferDevicePathMissing);
    EXPECT_EQ(transfer(u"", u"a.scope_ks", pc, "a"), kTransferDevicePathMissing);
    EXPECT_EQ(transfer(u"\\", std::u16string(259, u'n'), pc, "ok"), kTransferDevicePathMissing);
    EXPECT_EQ(transfer(u"\\", u"a.scope_ks", "", "a"), kTransferPcPathMissing);
    EXPECT_EQ(transfer(u"\\", u"a.scope_ks", pc, ""), kTransferPcPathMissing);
    EXPECT_EQ(transfer(u"\\", u"a.scope_ks", pc, std::string(259, 'n')), kTransferPcPathMissing);
    for (const char* unsafe : {".", "..", "../escape", "a/b", "a\\b"}) {
        EXPECT_EQ(transfer(u"\\", u"a.scope_ks", pc, unsafe), kTransferUnsafeFileName) << unsafe;
    }
    EXPECT_EQ(transfer(u"\\", u"..", pc, "ok"), kTransferUnsafeFileName);
    EXPECT_EQ(transfer(u"\\", std::u16string(u"a\0b", 3), pc, "ok"), kTransferUnsafeFileName);
    EXPECT_TRUE(api.opened.empty());
    EXPECT_TRUE(ListNames(dir.Path()).empty());
    EXPECT_EQ(bar.upper, -1);
}

TEST_F(TransferFileTest, AFileThatCannotBeOpenedOnEitherSideChangesNothing) {
    test::WriteFileBytes(dir / "gone.scope_ks", "precious");
    EXPECT_EQ(Copy(u"gone.scope_ks"), kTransferDeviceFileCannotBeOpened);
    EXPECT_EQ(ReadFileBytes(dir / "gone.scope_ks"), "precious");

    api.AddFile(u"\\a.scope_ks", "x");
    const PcCopy uncreated = CopyOutcome(u"a.scope_ks", dir / "missing");
    EXPECT_EQ(TransferResultOf(uncreated), kTransferPcFileCannotBeCreated);
    EXPECT_EQ(uncreated.systemError, ENOENT);
    EXPECT_EQ(ListNames(dir.Path()), std::vector<std::string>{"gone.scope_ks"});
    EXPECT_EQ(api.openHandles, 0);
}

TEST_F(TransferFileTest, AWriteThatFailsPartWayKeepsNothing) {
    KIRO_SKIP_WITHOUT_FILE_SIZE_LIMIT();
    AddBesideEarlierCopy(u"a.scope_ks", 64 * 1024);
    PcCopy failed;
    {
        test::CFileSizeLimit diskFull(10000);
        failed = CopyOutcome(u"a.scope_ks");
    }
    EXPECT_EQ(TransferResultOf(failed), kTransferFailedPartWay);
    EXPECT_EQ(failed.systemError, EFBIG) << "the system's reason is kept for the user";
    ExpectOnlyTheEarlierCopy();
    EXPECT_EQ(Copy(u"a.scope_ks"), 64 * 1024);
}

// Lost in the middle of the reads, or only when the file is closed after its last
// byte: either way the copy counts as lost and keeps nothing.
TEST_F(TransferFileTest, AHandheldLostDuringTheCopyKeepsNothing) {
    AddBesideEarlierCopy(u"a.scope_ks", 40000);
    api.onRead = [this] {
        if (api.readSizes.size() == 3) {
            api.LoseConnection();
        }
    };
    const PcCopy lost = CopyOutcome(u"a.scope_ks");
    EXPECT_EQ(TransferResultOf(lost), kTransferConnectionLost);
    EXPECT_TRUE(link.ConnectionLost());
    EXPECT_EQ(lost.systemError, 0);
    ExpectOnlyTheEarlierCopy();

    api.onRead = nullptr;
    ASSERT_EQ(link.Connect(), kConnectOk);
    api.AddFile(u"\\b.scope_ks", std::string(5000, 'b'));
    api.callsBeforeLoss = 4;  // open, size and both reads succeed; the close does not
    EXPECT_EQ(Copy(u"b.scope_ks"), kTransferConnectionLost);
    EXPECT_EQ(api.readSizes.back(), 904u) << "the whole file had arrived";
    ExpectOnlyTheEarlierCopy();
}

// The old file goes to the trash only once the copy is complete beside it, and the
// copy takes the name only after that; whatever fails between, both are still there.
TEST_F(TransferFileTest, AReplacedPcFileGoesToTheTrashOnlyOnceTheCopyIsCompleteBesideIt) {
    test::CFolderTrash trash(dir.Path() / "trash");
    const auto copy = [&](ExistingFileChoice choice) {
        return link.CopyFileToPc(
            u"\\", u"a.scope_ks", dir.Path().string(), "a.scope_ks", 4096, &bar,
            [choice](const ExistingFileQuestion&) { return choice; }, trash.Function());
    };
    AddBesideEarlierCopy(u"a.scope_ks", 5000);
    trash.afterTaking = [&](const std::filesystem::path& path) {
        EXPECT_FALSE(std::filesystem::exists(path)) << "the copy took the name too early";
        const auto names = ListNames(dir.Path());
        ASSERT_EQ(names.size(), 2u) << "the copy is not beside it";
        EXPECT_EQ(ReadFileBytes(dir / names[0]), std::string(5000, 'z'));
    };
    const PcCopy replaced = copy(ExistingFileChoice::Replace);
    EXPECT_TRUE(replaced.Copied());
    EXPECT_EQ(replaced.placement, CopyPlacement::Replaced);
    EXPECT_EQ(replaced.replacedIntoTrash, 1);
    EXPECT_EQ(ReadFileBytes(trash.Item(0)), "earlier copy");
    EXPECT_EQ(ReadFileBytes(dir / "a.scope_ks"), std::string(5000, 'z'));
    EXPECT_EQ(replaced.committed, IdentityOf(dir.Path() / "a.scope_ks"));

    // The name taken again right after the trash took the old file: the copy does not
    // replace what took it, and fails; the old file is in the trash, the handheld's stays.
    AddBesideEarlierCopy(u"a.scope_ks", 5000);
    trash.afterTaking = [&](const std::filesystem::path& path) {
        std::filesystem::create_directory(path);
    };
    const PcCopy blocked = copy(ExistingFileChoice::Replace);
    EXPECT_EQ(blocked.status, CopyStatus::PcFileCannotBeCreated);
    EXPECT_EQ(blocked.replacedIntoTrash, 1);
    EXPECT_EQ(ReadFileBytes(trash.Item(1)), "earlier copy");
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "a.scope_ks"));
    EXPECT_EQ(ListNames(dir.Path()), (std::vector<std::string>{"a.scope_ks", "trash"}))
        << "a temporary file is left";
}

// A run repeated with Keep Both finds its earlier copy under any numbered name up to the
// first free one, and makes no further copy.
TEST_F(TransferFileTest, KeepBothCountsAnEarlierNumberedCopyOfTheSameBytesAsDone) {
    const auto keepBoth = [](const ExistingFileQuestion&) { return ExistingFileChoice::KeepBoth; };
    api.AddFile(u"\\a.scope_ks", "new bytes");
    test::WriteFileBytes(dir / "a.scope_ks", "first");
    test::WriteFileBytes(dir / "a (2).scope_ks", "second");
    test::WriteFileBytes(dir / "a (3).scope_ks", "new bytes");
    test::WriteFileBytes(dir / "a (5).scope_ks", "new bytes");
    const auto copy = [&] {
        return link.CopyFileToPc(u"\\", u"a.scope_ks", dir.Path().string(), "a.scope_ks", 4096,
                                 &bar, keepBoth);
    };
    const PcCopy again = copy();
    EXPECT_TRUE(again.Copied());
    EXPECT_EQ(again.pcPath, dir / "a (3).scope_ks");
    EXPECT_EQ(again.committed, IdentityOf(dir.Path() / "a (3).scope_ks"));
    EXPECT_EQ(ListNames(dir.Path()).size(), 4u);
    // Past the first free number nothing is looked at: "a (5)" is not the same file.
    std::filesystem::remove(dir.Path() / "a (3).scope_ks");
    EXPECT_EQ(copy().pcPath, dir / "a (3).scope_ks");
    EXPECT_EQ(ReadFileBytes(dir / "a (3).scope_ks"), "new bytes");
}

FILETIME At(long long unixSeconds) {
    const auto ticks = static_cast<std::uint64_t>((unixSeconds + 11644473600LL) * 10000000LL);
    return {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

TEST(DeviceText, DatesUseATwelveHourClockWithoutPaddingAndSizesAreUnsigned) {
    const long long newYear2000 = 946684800;
    EXPECT_EQ(FormatDeviceDate(At(newYear2000)), "1/1/2000  12:0:0 AM");
    EXPECT_EQ(FormatDeviceDate(At(newYear2000 + 11 * 3600 + 59 * 60 + 59)),
              "1/1/2000  11:59:59 AM");
    EXPECT_EQ(FormatDeviceDate(At(newYear2000 + 12 * 3600)), "1/1/2000  12:0:0 PM");
    EXPECT_EQ(FormatDeviceDate(At(951782400)), "2/29/2000  12:0:0 AM");
    EXPECT_EQ(FormatDeviceDate({0, 0}), "1/1/1601  12:0:0 AM");
    EXPECT_EQ(FormatDeviceSize(0xFFFFFFFFu), "4294967295 bytes");
}

// Known kinds ignore case; any other extension is named, and cut to fit its column.
TEST(FileKind, FollowsTheLastExtensionIgnoringCase) {
    EXPECT_EQ(GetFileKind(u"DATA.SCOPE_KS").text, "Kiro-SCAN File");
    EXPECT_EQ(GetFileKind(u"archive.tar.gz").text, "GZ file");
    EXPECT_EQ(GetFileKind(u"README").text, "README file");
    EXPECT_EQ(GetFileKind(u"ends.").text, " file");
    const DeviceFileKind longKind = GetFileKind(u"a." + std::u16string(250, u'q'));
    EXPECT_LE(longKind.text.size(), kMaxKindTextBytes);
    EXPECT_TRUE(longKind.text.ends_with(" file"));
    EXPECT_TRUE(IsNeverConverted(GetFileKind(u"a.app_log_ks").code));
    EXPECT_FALSE(IsNeverConverted(GetFileKind(u"a.scope_ks").code));
}

// "*" and "?" as the shell's own matcher takes them, letter case ignored, checked against
// it over many short texts; and the characters beyond ASCII that it does not fold.
TEST(NamePattern, MatchesAsTheSystemMatcherDoesAndCountsCharactersNotBytes) {
#ifndef _WIN32
    std::mt19937 random(25);
    const std::string alphabet = "aAbB.* ?";
    const auto text = [&](std::size_t longest) {
        std::string made(random() % (longest + 1), ' ');
        for (char& c : made) {
            c = alphabet[random() % alphabet.size()];
        }
        return made;
    };
    for (int i = 0; i < 20000; ++i) {
        const std::string pattern = text(6);
        const std::string name = text(8);
        ASSERT_EQ(MatchesNamePattern(pattern, name),
                  ::fnmatch(pattern.c_str(), name.c_str(), FNM_CASEFOLD) == 0)
            << '"' << pattern << "\" against \"" << name << '"';
    }
#endif
    EXPECT_TRUE(MatchesNamePattern("BLATT \xC3\x84*", "blatt \xC3\xA4 2.scope_ks"));  // Ä, ä
    EXPECT_TRUE(MatchesNamePattern("\xD0\x9F?", "\xD0\xBF\xF0\x9F\x98\x80"));  // П, п, one emoji
    EXPECT_FALSE(MatchesNamePattern("??", "\xC3\xA4"));
    EXPECT_FALSE(MatchesNamePattern("*", "\xFF")) << "a name that is not UTF-8 matches nothing";
    EXPECT_TRUE(IsNamePattern("lamp?.scope_ks"));
    EXPECT_FALSE(IsNamePattern("[lamp].scope_ks")) << "nothing else is special";
}

}  // namespace
}  // namespace kiro
