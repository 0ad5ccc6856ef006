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

constexpr std::uint32_t kNoReply = 0xDEAD;

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
    // The reply's first field (a handle, a count or a success flag), or kNoReply.
    std::uint32_t Status(const CWireWriter& request) {
        const auto reply = Send(request);
        std::uint32_t value = kNoReply;
        return reply && CWireReader(reply->substr(1)).GetU32(value) ? value : kNoReply;
    }
    static CWireWriter PathRequest(Op op, const std::u16string& path) {
        CWireWriter request(op);
        request.PutText(path);
        return request;
    }
    std::uint32_t Open(const std::u16string& path) {
        CWireWriter request = PathRequest(Op::CreateFile, path);
        for (std::uint32_t v : {rapi::GENERIC_READ, 0u, rapi::OPEN_EXISTING, 0x80u}) {
            request.PutU32(v);
        }
        return Status(request);
    }
    bool Delete(const std::u16string& path) {
        return Status(PathRequest(Op::DeleteFile, path)) == 1;
    }
    // Reads up to `count` bytes; the flag is false when the read failed.
    std::pair<bool, std::string> Read(std::uint32_t handle, std::uint32_t count) {
        CWireWriter read(Op::ReadFile);
        read.PutU32(handle);
        read.PutU32(count);
        const std::string payload = Send(read).value_or("x").substr(1);
        CWireReader reader(payload);
        std::uint32_t ok = 0;
        std::string data;
        EXPECT_TRUE(reader.GetU32(ok));
        reader.GetBytes(data);
        return {ok != 0, data};
    }

    std::vector<std::u16string> Find(const std::u16string& pattern, std::uint32_t flags) {
        CWireWriter request = PathRequest(Op::FindAllFiles, pattern);
        request.PutU32(flags);
        const std::string payload = Send(request).value_or("x").substr(1);
        CWireReader reader(payload);
        std::uint32_t ok = 0;
        std::uint32_t count = 0;
        if (!reader.GetU32(ok) || !reader.GetU32(count) || ok == 0) {
            return {u"<failed>"};
        }
        std::vector<std::u16string> names(count);
        for (std::u16string& name : names) {
            std::uint32_t skip = 0;
            for (int k = 0; k < 5; ++k) {
                reader.GetU32(skip);
            }
            reader.GetText(name);
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
    for (const char16_t* pattern : {u"\\Missing\\*", u"\\..\\*", u"\\escape\\*", u"no-separator"}) {
        EXPECT_EQ(Find(pattern, 0), (std::vector<std::u16string>{u"<failed>"}));
    }
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
    EXPECT_EQ(Status(PathRequest(Op::CreateDirectory, u"\\..\\evil")), 0u);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "evil"));
    EXPECT_EQ(Status(PathRequest(Op::CreateDirectory, u"\\Data\\New")), 1u);
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "root/Data/New"));
    // A link that points out of the root cannot be read through; deleting it removes
    // only the link.
    EXPECT_EQ(Open(u"\\Data\\link"), 0u);
    EXPECT_TRUE(Delete(u"\\Data\\link"));
    EXPECT_FALSE(std::filesystem::is_symlink(dir.Path() / "root/Data/link"));
    EXPECT_EQ(test::ReadFileBytes(dir.Path() / "secret.txt"), "outside the handheld");
}

TEST_F(SimSessionTest, ReadsOpenFilesClampsHugeCountsAndDropsMalformedRequests) {
    const std::uint32_t handle = Open(u"\\Data\\a.scope_ks");
    ASSERT_NE(handle, 0u);
    EXPECT_EQ(Read(handle, 0xFFFFFFFFu), std::make_pair(true, std::string("spectrum bytes")));
    EXPECT_FALSE(Read(handle + 77, 10).first);

    EXPECT_FALSE(session.Handle(std::string("\x63", 1)));                  // unknown operation
    EXPECT_FALSE(session.Handle(std::string("\x02\xff\xff\xff\xff", 5)));  // huge text count
    EXPECT_FALSE(session.Handle(""));
    CWireWriter trailing = PathRequest(Op::DeleteFile, u"\\Data\\a.scope_ks");
    trailing.PutU32(7);
    EXPECT_FALSE(Send(trailing)) << "trailing bytes";
    EXPECT_FALSE(Send(PathRequest(Op::CreateFile, u"\\Data\\a.scope_ks"))) << "truncated";
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "root/Data/a.scope_ks"));
}

}  // namespace
}  // namespace kiro::sim
