#include <gtest/gtest.h>

#include <clocale>

#include "platform/AtomicFile.h"
#include "platform/Clock.h"
#include "platform/TimeText.h"
#include "platform/UserName.h"
#include "support/TempDir.h"

namespace kiro {
namespace {

TEST(TimeStamp, UsesEnglishNamesAndPaddedFields) {
    EXPECT_EQ(FormatTimeStamp(MakeLocalTime(2026, 12, 5, 17, 54, 2)),
              "Saturday, December 05, 2026, 17:54:02");
    EXPECT_EQ(FormatTimeStamp(MakeLocalTime(2027, 1, 1, 0, 0, 0)),
              "Friday, January 01, 2027, 00:00:00");
    EXPECT_EQ(FormatTimeStamp(MakeLocalTime(2024, 2, 29, 9, 5, 7)),
              "Thursday, February 29, 2024, 09:05:07");
}

TEST(TimeStamp, IgnoresTheProcessLocale) {
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "the de_DE.UTF-8 locale is not installed";
    }
    const std::string text = FormatTimeStamp(MakeLocalTime(2026, 3, 1, 8, 0, 0));
    std::setlocale(LC_ALL, previous.c_str());
    EXPECT_EQ(text, "Sunday, March 01, 2026, 08:00:00");
}

TEST(UserNameText, CutsAtACharacterBoundary) {
    EXPECT_EQ(TruncateUtf8("short", 199), "short");
    EXPECT_EQ(TruncateUtf8(std::string(250, 'a'), 199), std::string(199, 'a'));
    const std::string accented = std::string(198, 'a') + "\xC3\xA9";  // 200 bytes
    EXPECT_EQ(TruncateUtf8(accented, 199), std::string(198, 'a'));
    const std::string fourByte = std::string(197, 'a') + "\xF0\x9F\x94\xAC";  // 201 bytes
    EXPECT_EQ(TruncateUtf8(fourByte, 199), std::string(197, 'a'));
    EXPECT_EQ(TruncateUtf8(std::string(197, 'a') + "\xC3\xA9", 199).size(), 199u);
}

TEST(UserNameText, TheSystemNameIsNeverEmpty) {
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

}  // namespace
}  // namespace kiro
