#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "platform/AtomicFile.h"
#include "platform/Clock.h"
#include "platform/DisplayText.h"
#include "platform/FileChecks.h"
#include "platform/TimeText.h"
#include "platform/Trash.h"
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

// Whatever bytes a name holds, its shown form is one line of well-formed UTF-8 without
// controls, and text that needs no escape stays as it is.
TEST(PlatformText, NamesAreShownWithControlsAndBytesThatAreNotUtf8Escaped) {
    EXPECT_EQ(EscapeControlCharacters("a\n\r\t\x1B[2J\x7F\\x"), "a\\n\\r\\t\\x1B[2J\\x7F\\x");
    EXPECT_EQ(EscapeControlCharacters("\xC2\x80\xC2\x9B\xC2\x9F\xC2\xA0\xC3\xA9"),
              "\\u0080\\u009B\\u009F\xC2\xA0\xC3\xA9");
    // A stray byte, a cut sequence, overlong forms, a surrogate and a code point beyond
    // U+10FFFF, each byte on its own; the valid characters around them stay.
    EXPECT_EQ(EscapeControlCharacters(
                  "\xFF\xE2\x82|\xC0\xAF\xE0\x80\xAF\xED\xA0\x80\xF4\x90\x80\x80\xF0\x9F\x94\xAC"),
              "\\xFF\\xE2\\x82|"
              "\\xC0\\xAF\\xE0\\x80\\xAF\\xED\\xA0\\x80\\xF4\\x90\\x80\\x80\xF0\x9F\x94\xAC");
    EXPECT_EQ(EscapeControlCharacters(std::string("nul\0end", 7)), "nul\\x00end");
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

// "The same bytes" spares a question only when every byte is the same, however long.
TEST(AtomicFile, SameContentsComparesEveryByte) {
    test::CTempDir dir;
    std::string bytes(300 * 1024, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(i * 7 + i / 251);
    }
    test::WriteFileBytes(dir / "a", bytes);
    test::WriteFileBytes(dir / "same", bytes);
    FileIdentity seen;
    EXPECT_TRUE(SameContents(dir / "a", dir / "same", &seen));
    EXPECT_EQ(seen.size, static_cast<std::int64_t>(bytes.size()));
    for (const std::size_t at : {std::size_t{0}, std::size_t{64 * 1024}, bytes.size() - 1}) {
        std::string other = bytes;
        other[at] = static_cast<char>(other[at] ^ 1);
        test::WriteFileBytes(dir / "other", other);
        EXPECT_FALSE(SameContents(dir / "a", dir / "other", nullptr)) << "differs at " << at;
    }
    test::WriteFileBytes(dir / "longer", bytes + "x");
    EXPECT_FALSE(SameContents(dir / "a", dir / "longer", nullptr));
}

// The desktop's trash takes a file whole, and says why when it cannot.
TEST(Trash, TakesAFileWholeAndGivesAReasonWhenItCannot) {
    test::CTempDir dir;
    const std::filesystem::path file = dir.Path() / (dir.Path().filename().string() + " a.txt");
    test::WriteFileBytes(file, "measured");
    const TrashOutcome trashed = MoveToTrash(file);
    ASSERT_TRUE(trashed.trashed) << trashed.reason;
    EXPECT_FALSE(std::filesystem::exists(file));
#ifndef _WIN32
    if (const char* dataHome = std::getenv("XDG_DATA_HOME")) {
        EXPECT_EQ(test::ReadFileBytes(std::filesystem::path(dataHome) / "Trash" / "files" /
                                      file.filename()),
                  "measured");
    }
#endif
    const TrashOutcome missing = MoveToTrash(file);
    EXPECT_FALSE(missing.trashed);
    EXPECT_FALSE(missing.reason.empty());
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
