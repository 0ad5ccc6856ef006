#include <gtest/gtest.h>

#include <cerrno>

#include "devicelink/DeviceLink.h"
#include "devicelink/FakeRemoteApi.h"
#include "devicelink/RecordingProgressBar.h"
#include "support/Fakes.h"
#include "support/TempDir.h"

namespace kiro {
namespace {

using test::ListNames;
using test::ReadFileBytes;

class TransferFileTest : public ::testing::Test {
protected:
    TransferFileTest() { link.Connect(); }

    std::int64_t Copy(const std::u16string& folder, const std::u16string& name,
                      std::uint32_t chunk = 4096) {
        std::string pcName(name.begin(), name.end());
        return link.TransferFile(folder, name, dir.Path().string(), pcName, chunk, &bar);
    }

    test::CTempDir dir;
    test::CFakeRemoteApi api;
    test::CRecordingMessageBox messageBox;
    test::CRecordingProgressBar bar;
    CDeviceLink link{api, messageBox};
};

TEST_F(TransferFileTest, CopiesInChunksAndRunsTheBarToItsEnd) {
    const struct {
        std::size_t size;
        std::vector<rapi::DWORD> reads;
        int range;
    } cases[] = {
        {0, {0}, 1},
        {5000, {4096, 904}, 2},
        {8192, {4096, 4096, 0}, 3},
    };
    for (const auto& c : cases) {
        const std::string content(c.size, 'k');
        api.AddFile(u"\\a.scope_ks", content);
        api.readSizes.clear();
        bar = {};
        EXPECT_EQ(Copy(u"\\", u"a.scope_ks"), static_cast<std::int64_t>(c.size));
        EXPECT_EQ(api.readSizes, c.reads) << c.size;
        EXPECT_EQ(bar.lower, 0);
        EXPECT_EQ(bar.upper, c.range);
        ASSERT_FALSE(bar.positions.empty());
        EXPECT_EQ(bar.positions.back(), c.range);
        EXPECT_EQ(bar.repaints, static_cast<int>(c.reads.size()));
        EXPECT_EQ(ReadFileBytes(dir / "a.scope_ks"), content);
    }
    EXPECT_EQ(api.opened.back(), u"\\a.scope_ks");
    EXPECT_EQ(api.openHandles, 0);
}

TEST_F(TransferFileTest, JoinsFoldersWithOneSeparator) {
    api.AddFile(u"\\Data\\b.dark_ks", "dark");
    const std::string folderWithSlash = dir.Path().string() + "/";
    EXPECT_EQ(
        link.TransferFile(u"\\Data", u"b.dark_ks", folderWithSlash, "b.dark_ks", 4096, nullptr), 4);
    EXPECT_EQ(api.opened.back(), u"\\Data\\b.dark_ks");
    EXPECT_EQ(ReadFileBytes(dir / "b.dark_ks"), "dark");
}

TEST_F(TransferFileTest, ReplacesAnExistingPcFile) {
    api.AddFile(u"\\a.scope_ks", "new");
    test::WriteFileBytes(dir / "a.scope_ks", "an older and longer file");
    EXPECT_EQ(Copy(u"\\", u"a.scope_ks"), 3);
    EXPECT_EQ(ReadFileBytes(dir / "a.scope_ks"), "new");
}

TEST_F(TransferFileTest, RefusesMissingAndUnsafeNamesBeforeTouchingAnything) {
    api.AddFile(u"\\a.scope_ks", "x");
    const std::string pc = dir.Path().string();
    EXPECT_EQ(link.TransferFile(u"\\", u"", pc, "a", 4096, &bar), kTransferDevicePathMissing);
    EXPECT_EQ(link.TransferFile(u"", u"a.scope_ks", pc, "a", 4096, &bar),
              kTransferDevicePathMissing);
    EXPECT_EQ(link.TransferFile(u"\\", u"a.scope_ks", "", "a", 4096, &bar), kTransferPcPathMissing);
    EXPECT_EQ(link.TransferFile(u"\\", u"a.scope_ks", pc, "", 4096, &bar), kTransferPcPathMissing);
    for (const char* unsafe : {".", "..", "../escape", "a/b", "a\\b"}) {
        EXPECT_EQ(link.TransferFile(u"\\", u"a.scope_ks", pc, unsafe, 4096, &bar),
                  kTransferUnsafeFileName)
            << unsafe;
    }
    EXPECT_EQ(link.TransferFile(u"\\", u"..", pc, "ok", 4096, &bar), kTransferUnsafeFileName);
    EXPECT_EQ(link.TransferFile(u"\\", std::u16string(u"a\0b", 3), pc, "ok", 4096, &bar),
              kTransferUnsafeFileName);
    EXPECT_EQ(link.TransferFile(u"\\", std::u16string(259, u'n'), pc, "ok", 4096, &bar),
              kTransferDevicePathMissing);
    EXPECT_EQ(link.TransferFile(u"\\", u"a.scope_ks", pc, std::string(259, 'n'), 4096, &bar),
              kTransferPcPathMissing);
    EXPECT_TRUE(api.opened.empty());
    EXPECT_TRUE(ListNames(dir.Path()).empty());
    EXPECT_EQ(bar.rangeCalls, 0);
}

TEST_F(TransferFileTest, ADeviceFileThatCannotBeOpenedLeavesThePcSideAlone) {
    test::WriteFileBytes(dir / "gone.scope_ks", "precious");
    EXPECT_EQ(Copy(u"\\", u"gone.scope_ks"), kTransferDeviceFileCannotBeOpened);
    EXPECT_EQ(ReadFileBytes(dir / "gone.scope_ks"), "precious");
    EXPECT_EQ(ListNames(dir.Path()), std::vector<std::string>{"gone.scope_ks"});
}

TEST_F(TransferFileTest, ACopyThatFailsPartWayKeepsNothing) {
    api.AddFile(u"\\a.scope_ks", std::string(20000, 'z'));
    api.files[u"\\a.scope_ks"].failReadAfter = 10000;
    test::WriteFileBytes(dir / "a.scope_ks", "earlier copy");
    EXPECT_EQ(Copy(u"\\", u"a.scope_ks"), kTransferFailedPartWay);
    EXPECT_EQ(ReadFileBytes(dir / "a.scope_ks"), "earlier copy");
    EXPECT_EQ(ListNames(dir.Path()), std::vector<std::string>{"a.scope_ks"});
    EXPECT_EQ(api.openHandles, 0);

    api.AddFile(u"\\b.scope_ks", std::string(20000, 'z'));
    api.files[u"\\b.scope_ks"].failReadAfter = 0;
    EXPECT_EQ(Copy(u"\\", u"b.scope_ks"), kTransferFailedPartWay);
    EXPECT_FALSE(std::filesystem::exists(dir / "b.scope_ks"));
}

TEST_F(TransferFileTest, AWriteThatFailsPartWayKeepsNothing) {
    api.AddFile(u"\\a.scope_ks", std::string(64 * 1024, 'z'));
    test::WriteFileBytes(dir / "a.scope_ks", "earlier copy");
    std::int64_t result;
    {
        test::CFileSizeLimit diskFull(10000);
        result = Copy(u"\\", u"a.scope_ks");
    }
    EXPECT_EQ(result, kTransferFailedPartWay);
    EXPECT_EQ(link.LastPcError(), EFBIG) << "the system's reason is kept for the user";
    EXPECT_EQ(ReadFileBytes(dir / "a.scope_ks"), "earlier copy");
    EXPECT_EQ(ListNames(dir.Path()), std::vector<std::string>{"a.scope_ks"});
    EXPECT_EQ(Copy(u"\\", u"a.scope_ks"), 64 * 1024);
    EXPECT_EQ(link.LastPcError(), 0);
}

// Lost in the middle of the reads, or only when the file is closed after its last
// byte: either way the copy counts as lost and keeps nothing.
TEST_F(TransferFileTest, AHandheldLostDuringTheCopyKeepsNothing) {
    api.AddFile(u"\\a.scope_ks", std::string(40000, 'z'));
    test::WriteFileBytes(dir / "a.scope_ks", "earlier copy");
    api.onRead = [this] {
        if (api.readSizes.size() == 3) {
            api.LoseConnection();
        }
    };
    EXPECT_EQ(Copy(u"\\", u"a.scope_ks"), kTransferConnectionLost);
    EXPECT_TRUE(link.ConnectionLost());
    EXPECT_EQ(link.LastPcError(), 0);
    EXPECT_EQ(ListNames(dir.Path()), std::vector<std::string>{"a.scope_ks"});
    EXPECT_EQ(ReadFileBytes(dir / "a.scope_ks"), "earlier copy");

    api.onRead = nullptr;
    ASSERT_EQ(link.Connect(), kConnectOk);
    api.AddFile(u"\\b.scope_ks", std::string(5000, 'b'));
    api.callsBeforeLoss = 4;  // open, size and both reads succeed; the close does not
    EXPECT_EQ(Copy(u"\\", u"b.scope_ks"), kTransferConnectionLost);
    EXPECT_EQ(api.readSizes.back(), 904u) << "the whole file had arrived";
    EXPECT_FALSE(std::filesystem::exists(dir / "b.scope_ks"));
    EXPECT_EQ(api.openHandles, 0);
}

TEST_F(TransferFileTest, APcFolderThatDoesNotExistIsReported) {
    api.AddFile(u"\\a.scope_ks", "x");
    EXPECT_EQ(link.TransferFile(u"\\", u"a.scope_ks", dir / "missing", "a.scope_ks", 4096, &bar),
              kTransferPcFileCannotBeCreated);
    EXPECT_EQ(link.LastPcError(), ENOENT);
    EXPECT_EQ(api.openHandles, 0);
}

TEST_F(TransferFileTest, ScalesTheBarForFilesOfMoreThan65535Chunks) {
    api.AddFile(u"\\big.bin", std::string(200000, 'b'));
    EXPECT_EQ(Copy(u"\\", u"big.bin", 2), 200000);
    EXPECT_EQ(bar.upper, 65535);
    EXPECT_EQ(bar.positions.back(), 65535);
    EXPECT_TRUE(std::is_sorted(bar.positions.begin(), bar.positions.end()));
}

}  // namespace
}  // namespace kiro
