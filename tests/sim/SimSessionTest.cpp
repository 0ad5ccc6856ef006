#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/rapi/RapiConstants.h"
#include "platform/rapi/WireCodec.h"
#include "sim/SimServer.h"
#include "support/TempDir.h"

namespace kiro::sim {
namespace {

using wire::CWireReader;
using wire::CWireWriter;
using wire::Op;

class SimSessionTest : public ::testing::Test {
protected:
    // Lays out the handheld before the file system that serves it is made.
    static std::filesystem::path PrepareRoot(const test::CTempDir& dir) {
        std::filesystem::create_directories(dir.Path() / "root/Data/Sub");
        test::WriteFileBytes(dir.Path() / "root/Data/a.scope_ks", "spectrum bytes");
        test::WriteFileBytes(dir.Path() / "root/Data/keep.log_ks", "log");
        test::WriteFileBytes(dir.Path() / "secret.txt", "outside the handheld");
        std::filesystem::create_symlink(dir.Path() / "secret.txt", dir.Path() / "root/Data/link");
        std::filesystem::create_symlink(dir.Path(), dir.Path() / "root/escape");
        return dir.Path() / "root";
    }

    std::optional<std::string> Send(const CWireWriter& request) {
        return session.Handle(request.Bytes());
    }

    std::uint32_t Open(const std::u16string& path) {
        CWireWriter request(Op::CreateFile);
        request.PutText(path);
        for (std::uint32_t v : {rapi::GENERIC_READ, 0u, rapi::OPEN_EXISTING, 0x80u}) {
            request.PutU32(v);
        }
        const auto reply = Send(request);
        std::uint32_t handle = 0;
        EXPECT_TRUE(reply && CWireReader(reply->substr(1)).GetU32(handle));
        return handle;
    }

    bool Delete(const std::u16string& path) {
        CWireWriter request(Op::DeleteFile);
        request.PutText(path);
        const auto reply = Send(request);
        std::uint32_t ok = 0;
        EXPECT_TRUE(reply && CWireReader(reply->substr(1)).GetU32(ok));
        return ok != 0;
    }

    std::vector<std::u16string> Find(const std::u16string& pattern, std::uint32_t flags) {
        CWireWriter request(Op::FindAllFiles);
        request.PutText(pattern);
        request.PutU32(flags);
        const auto reply = Send(request);
        std::vector<std::u16string> names;
        const std::string payload = reply.value_or("x").substr(1);
        CWireReader reader(payload);
        std::uint32_t ok = 0;
        std::uint32_t count = 0;
        if (!reader.GetU32(ok) || !reader.GetU32(count) || ok == 0) {
            return {u"<failed>"};
        }
        for (std::uint32_t i = 0; i < count; ++i) {
            std::uint32_t skip = 0;
            std::u16string name;
            for (int k = 0; k < 5; ++k) {
                reader.GetU32(skip);
            }
            reader.GetText(name);
            names.push_back(name);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    test::CTempDir dir;
    CSimFileSystem files{PrepareRoot(dir)};
    SimFaults faults;
    CSimSession session{files, faults, nullptr};
};

TEST_F(SimSessionTest, ListsFoldersAndFilesInsideTheRootOnly) {
    EXPECT_EQ(Find(u"\\*", rapi::FAF_FOLDERS_ONLY | rapi::FAF_NAME),
              (std::vector<std::u16string>{u"Data"}))
        << "a link out of the root is not shown";
    EXPECT_EQ(Find(u"\\Data\\*", rapi::FAF_NAME),
              (std::vector<std::u16string>{u"Sub", u"a.scope_ks", u"keep.log_ks"}));
    EXPECT_EQ(Find(u"\\Data\\*.SCOPE_KS", rapi::FAF_NAME),
              (std::vector<std::u16string>{u"a.scope_ks"}));
    EXPECT_EQ(Find(u"\\Missing\\*", 0), (std::vector<std::u16string>{u"<failed>"}));
    EXPECT_EQ(Find(u"\\..\\*", 0), (std::vector<std::u16string>{u"<failed>"}));
    EXPECT_EQ(Find(u"\\escape\\*", 0), (std::vector<std::u16string>{u"<failed>"}));
    EXPECT_EQ(Find(u"no-separator", 0), (std::vector<std::u16string>{u"<failed>"}));
}

TEST_F(SimSessionTest, RefusesPathsThatLeaveTheRoot) {
    for (const std::u16string& path :
         {std::u16string(u"\\..\\secret.txt"), std::u16string(u"\\Data\\..\\..\\secret.txt"),
          std::u16string(u"C:\\secret.txt"), std::u16string(u"/etc/passwd"),
          std::u16string(u"\\escape\\secret.txt"), std::u16string(u"\\Data/../../secret.txt"),
          std::u16string(u"\\Data\\.\\a.scope_ks"), std::u16string(u"\\Data\\a.scope_ks\0x", 19),
          u"\\" + std::u16string(259, u'a'), std::u16string(u"\\"), std::u16string(u"\\Data")}) {
        EXPECT_EQ(Open(path), 0u) << std::string(path.begin(), path.end());
        EXPECT_FALSE(Delete(path));
    }
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "root/Data"));
    // A link that points out of the root cannot be read through; deleting it removes
    // only the link.
    EXPECT_EQ(Open(u"\\Data\\link"), 0u);
    EXPECT_TRUE(Delete(u"\\Data\\link"));
    EXPECT_FALSE(std::filesystem::is_symlink(dir.Path() / "root/Data/link"));
    EXPECT_EQ(test::ReadFileBytes(dir.Path() / "secret.txt"), "outside the handheld");
}

TEST_F(SimSessionTest, ReadsOpenFilesAndClampsHugeCounts) {
    const std::uint32_t handle = Open(u"\\Data\\a.scope_ks");
    ASSERT_NE(handle, 0u);
    CWireWriter read(Op::ReadFile);
    read.PutU32(handle);
    read.PutU32(0xFFFFFFFFu);
    const auto reply = Send(read);
    ASSERT_TRUE(reply);
    const std::string payload = reply->substr(1);
    CWireReader reader(payload);
    std::uint32_t ok = 0;
    std::string data;
    ASSERT_TRUE(reader.GetU32(ok) && reader.GetBytes(data));
    EXPECT_EQ(ok, 1u);
    EXPECT_EQ(data, "spectrum bytes");

    CWireWriter unknown(Op::ReadFile);
    unknown.PutU32(handle + 77);
    unknown.PutU32(10);
    const auto refused = Send(unknown);
    ASSERT_TRUE(refused);
    EXPECT_TRUE(CWireReader(refused->substr(1)).GetU32(ok));
    EXPECT_EQ(ok, 0u);
}

TEST_F(SimSessionTest, DropsMalformedAndUnknownRequests) {
    EXPECT_FALSE(session.Handle(std::string("\x63", 1)));                  // unknown operation
    EXPECT_FALSE(session.Handle(std::string("\x02\xff\xff\xff\xff", 5)));  // huge text count
    CWireWriter trailing(Op::DeleteFile);
    trailing.PutText(u"\\Data\\a.scope_ks");
    trailing.PutU32(7);
    EXPECT_FALSE(Send(trailing)) << "trailing bytes";
    CWireWriter truncated(Op::CreateFile);
    truncated.PutText(u"\\Data\\a.scope_ks");
    EXPECT_FALSE(Send(truncated));
    EXPECT_FALSE(session.Handle(""));
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "root/Data/a.scope_ks"));
}

TEST_F(SimSessionTest, ShowsTheConfiguredFaults) {
    faults.refuseDeletePattern = "*.log_ks";
    EXPECT_FALSE(Delete(u"\\Data\\keep.log_ks"));
    EXPECT_TRUE(Delete(u"\\Data\\a.scope_ks"));

    test::WriteFileBytes(dir.Path() / "root/Data/big.bin", std::string(1000, 'b'));
    faults.failReadAfter = 600;
    const std::uint32_t handle = Open(u"\\Data\\big.bin");
    CWireWriter read(Op::ReadFile);
    read.PutU32(handle);
    read.PutU32(1000);
    const std::string payload = Send(read).value_or("x").substr(1);
    CWireReader reader(payload);
    std::uint32_t ok = 1;
    std::string data;
    ASSERT_TRUE(reader.GetU32(ok) && reader.GetBytes(data));
    EXPECT_EQ(ok, 0u);
    EXPECT_EQ(data.size(), 600u);

    faults.dropAfterRequests = 0;
    EXPECT_FALSE(Send(read));
}

TEST_F(SimSessionTest, CreatesFoldersInsideTheRootOnly) {
    CWireWriter make(Op::CreateDirectory);
    make.PutText(u"\\Data\\New");
    EXPECT_TRUE(Send(make));
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "root/Data/New"));
    CWireWriter escape(Op::CreateDirectory);
    escape.PutText(u"\\..\\evil");
    const auto reply = Send(escape);
    std::uint32_t ok = 1;
    ASSERT_TRUE(reply && CWireReader(reply->substr(1)).GetU32(ok));
    EXPECT_EQ(ok, 0u);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "evil"));
}

}  // namespace
}  // namespace kiro::sim
