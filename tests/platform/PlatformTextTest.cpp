#include <gtest/gtest.h>

#include <functional>

#include "platform/AtomicFile.h"
#include "platform/Clock.h"
#include "platform/FileChecks.h"
#include "platform/TimeText.h"
#include "platform/UserName.h"
#include "platform/VersionRecord.h"
#include "support/TempDir.h"

namespace kiro {
namespace {

TEST(PlatformText, TimeStampsPadTheirFieldsAndNamesAreCutAtACharacterBoundary) {
    EXPECT_EQ(FormatTimeStamp(MakeLocalTime(2024, 2, 29, 9, 5, 7)),
              "Thursday, February 29, 2024, 09:05:07");
    EXPECT_EQ(TruncateUtf8(std::string(250, 'a'), 199), std::string(199, 'a'));
    const std::string fourByte = std::string(197, 'a') + "\xF0\x9F\x94\xAC";  // 201 bytes
    EXPECT_EQ(TruncateUtf8(fourByte, 199), std::string(197, 'a'));
    EXPECT_EQ(TruncateUtf8(std::string(197, 'a') + "\xC3\xA9", 199).size(), 199u);
    EXPECT_FALSE(CSystemUserName().Name().empty());
}

TEST(AtomicFile, ReplacesOnlyWhenComplete) {
    test::CTempDir dir;
    const std::string target = dir / "out.txt";
    test::WriteFileBytes(target, "old");
    {
        CAtomicFileWriter writer(target);
        ASSERT_TRUE(writer.Open());
        writer.Append("half");
        EXPECT_EQ(test::ReadFileBytes(target), "old") << "not visible before commit";
    }  // abandoned by the destructor
    EXPECT_EQ(test::ReadFileBytes(target), "old");
    EXPECT_EQ(test::ListNames(dir.Path()), std::vector<std::string>{"out.txt"});
    EXPECT_EQ(WriteFileAtomically(target, "new"), AtomicWriteResult::Written);
    EXPECT_EQ(test::ReadFileBytes(target), "new");
    EXPECT_EQ(WriteFileAtomically(dir / "none/out.txt", "x"), AtomicWriteResult::CannotCreate);
    EXPECT_EQ(WriteFileAtomically(dir.Path(), "x"), AtomicWriteResult::CannotCreate);
}

// Whatever happens under the name between open and commit, a file the writer did not
// see there is never replaced.
TEST(AtomicFile, NeverReplacesAFileItDidNotSee) {
    test::CTempDir dir;
    const std::filesystem::path target = dir / "out.txt";
    const auto commitAfter = [&](const std::function<void()>& meanwhile) {
        CAtomicFileWriter writer(target);
        EXPECT_TRUE(writer.Open());
        writer.Append("mine");
        meanwhile();
        return writer.Commit();
    };
    // A name that was free when the writer opened.
    EXPECT_EQ(commitAfter([&] { test::WriteFileBytes(target, "theirs"); }),
              AtomicWriteResult::CannotCreate);
    EXPECT_EQ(test::ReadFileBytes(target), "theirs");
    // A name whose file was put in another's place.
    EXPECT_EQ(commitAfter([&] {
                  test::WriteFileBytes(dir / "other", "other");
                  std::filesystem::rename(dir / "other", target);
              }),
              AtomicWriteResult::CannotCreate);
    EXPECT_EQ(test::ReadFileBytes(target), "other");
    EXPECT_EQ(test::ListNames(dir.Path()), std::vector<std::string>{"out.txt"});
    // Still the file it saw: replaced.
    EXPECT_EQ(commitAfter([] {}), AtomicWriteResult::Written);
    EXPECT_EQ(test::ReadFileBytes(target), "mine");

    // Kept beside it under the first free number.
    test::WriteFileBytes(dir / "out (2).txt", "second");
    CAtomicFileWriter writer(target);
    ASSERT_TRUE(writer.Open());
    writer.Append("third");
    ASSERT_EQ(writer.Complete(), AtomicWriteResult::Written);
    EXPECT_FALSE(writer.PlaceWithoutReplacing());
    EXPECT_EQ(writer.PlaceUnderFreeName(), dir / "out (3).txt");
    EXPECT_EQ(test::ReadFileBytes(dir / "out (3).txt"), "third");
    EXPECT_EQ(NumberedName("/a/run1.scope_ks", 2), "/a/run1 (2).scope_ks");
    EXPECT_EQ(NumberedName("/a/README", 12), "/a/README (12)");
}

const std::string kFileVersionPath = "\\StringFileInfo\\040904b0\\FileVersion";

const std::vector<VersionValue> kValues = {
    {"\\VarFileInfo\\Translation", "0409 04b0"},
    {"\\StringFileInfo\\040904b0\\Comments", ""},
    {kFileVersionPath, "1.0.0.1"},
    {"\\StringFileInfo\\040904b0\\LegalCopyright", "(C) A=B\nsecond line"},
};

TEST(VersionRecord, ValuesReadBackByTheirExactPathFromAnIntactRecordOnly) {
    const std::string record = MakeVersionRecord(kValues);
    EXPECT_EQ(ReadFileVersion(record), "1.0.0.1");
    EXPECT_EQ(QueryVersionValue(record, "\\StringFileInfo\\040904b0\\Comments"), "");
    EXPECT_EQ(QueryVersionValue(record, "\\StringFileInfo\\040904b0\\LegalCopyright"), "(C) A=B");
    EXPECT_EQ(QueryVersionValue(record, "\\StringFileInfo\\040704b0\\FileVersion"), std::nullopt);
    EXPECT_EQ(QueryVersionValue(record, "\\StringFileInfo\\040904b0\\FileVersio"), std::nullopt);
    EXPECT_EQ(ReadFileVersion(MakeVersionRecord({{kFileVersionPath, std::string(300, '7')}})),
              std::string(255, '7'));

    // A record damaged anywhere, or without the value, gives no version at all.
    const std::string damaged[] = {
        "",
        record.substr(0, record.size() - 1),   // last line cut short
        record.substr(record.find('\n') + 1),  // no format line
        "KiroConv version record 2" + record.substr(record.find('\n')),
        record + "a line without a path\n",
        MakeVersionRecord({{"\\VarFileInfo\\Translation", "0409 04b0"}}),
        record.substr(0, record.find(kFileVersionPath)) + kFileVersionPath + "\n",
    };
    for (const std::string& broken : damaged) {
        EXPECT_EQ(ReadFileVersion(broken), "") << broken;
    }
}

}  // namespace
}  // namespace kiro
