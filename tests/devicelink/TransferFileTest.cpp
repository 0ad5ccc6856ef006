#include <gtest/gtest.h>

#include <cerrno>

#include "devicelink/DeviceLink.h"
#include "devicelink/FakeRemoteApi.h"
#include "support/Fakes.h"
#include "support/TempDir.h"

namespace kiro {
namespace {

using test::ListNames;
using test::ReadFileBytes;

class TransferFileTest : public ::testing::Test {
protected:
    TransferFileTest() { link.Connect(); }

    std::int64_t Copy(const std::u16string& name, std::uint32_t chunk = 4096) {
        std::string pcName(name.begin(), name.end());
        return link.TransferFile(u"\\", name, dir.Path().string(), pcName, chunk, &bar);
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
    test::CFakeRemoteApi api;
    test::CRecordingMessageBox messageBox;
    test::CRecordingProgressBar bar;
    CDeviceLink link{api, messageBox};
};

TEST_F(TransferFileTest, CopiesInChunksReplacingThePcFileAndRunsTheBarToItsEnd) {
    const struct {
        std::size_t size;
        std::vector<rapi::DWORD> reads;
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

TEST_F(TransferFileTest, ScalesTheBarForFilesOfMoreThan65535Chunks) {
    api.AddFile(u"\\big.bin", std::string(200000, 'b'));
    EXPECT_EQ(Copy(u"big.bin", 2), 200000);
    EXPECT_EQ(bar.upper, 65535);
    EXPECT_EQ(bar.positions.back(), 65535);
    EXPECT_TRUE(std::is_sorted(bar.positions.begin(), bar.positions.end()));

    // A size query that fails answers all ones; read a byte at a time, that must not wrap.
    api.AddFile(u"\\odd.bin", "odd");
    api.files[u"\\odd.bin"].reportedSizeLow = rapi::INVALID_FILE_SIZE;
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
    EXPECT_EQ(link.TransferFile(u"\\", u"a.scope_ks", dir / "missing", "a.scope_ks", 4096, &bar),
              kTransferPcFileCannotBeCreated);
    EXPECT_EQ(link.LastPcError(), ENOENT);
    EXPECT_EQ(ListNames(dir.Path()), std::vector<std::string>{"gone.scope_ks"});
    EXPECT_EQ(api.openHandles, 0);
}

TEST_F(TransferFileTest, AWriteThatFailsPartWayKeepsNothing) {
    AddBesideEarlierCopy(u"a.scope_ks", 64 * 1024);
    std::int64_t result;
    {
        test::CFileSizeLimit diskFull(10000);
        result = Copy(u"a.scope_ks");
    }
    EXPECT_EQ(result, kTransferFailedPartWay);
    EXPECT_EQ(link.LastPcError(), EFBIG) << "the system's reason is kept for the user";
    ExpectOnlyTheEarlierCopy();
    EXPECT_EQ(Copy(u"a.scope_ks"), 64 * 1024);
    EXPECT_EQ(link.LastPcError(), 0);
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
    EXPECT_EQ(Copy(u"a.scope_ks"), kTransferConnectionLost);
    EXPECT_TRUE(link.ConnectionLost());
    EXPECT_EQ(link.LastPcError(), 0);
    ExpectOnlyTheEarlierCopy();

    api.onRead = nullptr;
    ASSERT_EQ(link.Connect(), kConnectOk);
    api.AddFile(u"\\b.scope_ks", std::string(5000, 'b'));
    api.callsBeforeLoss = 4;  // open, size and both reads succeed; the close does not
    EXPECT_EQ(Copy(u"b.scope_ks"), kTransferConnectionLost);
    EXPECT_EQ(api.readSizes.back(), 904u) << "the whole file had arrived";
    ExpectOnlyTheEarlierCopy();
}

}  // namespace
}  // namespace kiro
