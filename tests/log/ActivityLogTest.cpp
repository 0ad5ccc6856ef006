#include "log/ActivityLog.h"

#include <gtest/gtest.h>

#include "support/Fakes.h"
#include "support/TempDir.h"

namespace kiro {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

const char* const kHeader =
    "Corvane Tech Kiro-SCAN File Conversion Utility Log File\r\n"
    "Log created 3/7/2026 at 09:05:00\r\n"
    "======================================================\r\n";

class ActivityLogTest : public ::testing::Test {
protected:
    ActivityLogTest() { log.SetLogFileName(path); }

    test::CTempDir dir;
    std::string path = dir / "LogFile.log";
    CFixedClock clock{MakeLocalTime(2026, 3, 7, 9, 5, 0)};
    CActivityLog log{clock};
};

TEST_F(ActivityLogTest, StartUpWithLoggingOnCreatesTheHeader) {
    log.SetLogEvents(1);
    log.OpenLogAtStartup();
    EXPECT_TRUE(log.IsOpen());
    EXPECT_EQ(ReadFileBytes(path), kHeader);
    log.WriteLogEntry("User bob cancelled file transfer and conversion\n");
    EXPECT_EQ(ReadFileBytes(path),
              std::string(kHeader) + "User bob cancelled file transfer and conversion\r\n");
}

TEST_F(ActivityLogTest, StartUpContinuesAnExistingLogWithoutWritingAnything) {
    WriteFileBytes(path, "earlier line\r\n");
    log.SetLogEvents(1);
    log.OpenLogAtStartup();
    EXPECT_EQ(ReadFileBytes(path), "earlier line\r\n");
    log.WriteLogEntry("next\n");
    EXPECT_EQ(ReadFileBytes(path), "earlier line\r\nnext\r\n");
}

TEST_F(ActivityLogTest, StartUpWithLoggingOffTouchesNothing) {
    for (int value : {0, 2, -1}) {
        log.SetLogEvents(value);
        log.OpenLogAtStartup();
        EXPECT_FALSE(log.IsOpen());
        EXPECT_FALSE(std::filesystem::exists(path));
    }
    // Switching logging on later records nothing until a file is started.
    log.SetLogEvents(1);
    log.WriteLogEntry("lost\n");
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(ActivityLogTest, EntriesReachTheFileOnlyWhileEnabledAndOpen) {
    log.StartNewLogFile();
    log.SetLogEvents(2);
    log.WriteLogEntry("not while disabled\n");
    log.SetLogEvents(1);
    log.WriteLogEntry("a\n");
    log.FlushLog();
    log.CloseLog();
    log.WriteLogEntry("not while closed\n");
    log.FlushLog();
    EXPECT_EQ(ReadFileBytes(path), std::string(kHeader) + "a\r\n");
}

TEST_F(ActivityLogTest, StartingANewFileReplacesTheOldOne) {
    WriteFileBytes(path, "old content that must go\r\n");
    EXPECT_TRUE(log.StartNewLogFile());
    EXPECT_EQ(ReadFileBytes(path), kHeader);
    clock.Set(MakeLocalTime(2026, 12, 25, 23, 59, 9));
    log.StartNewLogFile();
    EXPECT_EQ(ReadFileBytes(path),
              "Corvane Tech Kiro-SCAN File Conversion Utility Log File\r\n"
              "Log created 12/25/2026 at 23:59:09\r\n"
              "======================================================\r\n");
}

TEST_F(ActivityLogTest, AFileThatCannotBeOpenedLeavesTheLogClosed) {
    log.SetLogFileName(dir / "no-such-folder/LogFile.log");
    log.SetLogEvents(1);
    log.OpenLogAtStartup();
    EXPECT_FALSE(log.IsOpen());
    log.WriteLogEntry("dropped\n");
    log.FlushLog();

    std::filesystem::create_directory(dir / "folder.log");
    log.SetLogFileName(dir / "folder.log");
    EXPECT_FALSE(log.StartNewLogFile());
    EXPECT_FALSE(log.IsOpen());
}

TEST_F(ActivityLogTest, AnEntryThatDoesNotFitOnTheDiskIsDroppedWhole) {
    log.SetLogEvents(1);
    log.StartNewLogFile();
    log.WriteLogEntry("first\n");
    const std::string before = ReadFileBytes(path);
    {
        test::CFileSizeLimit diskFull(before.size() + 10);
        log.WriteLogEntry("a line much longer than the ten bytes left on the disk\n");
        log.WriteLogEntry(std::string(5000, 'x') + "\n");
    }
    EXPECT_EQ(ReadFileBytes(path), before);
    log.WriteLogEntry("after\n");
    EXPECT_EQ(ReadFileBytes(path), before + "after\r\n");
}

TEST(LogText, EveryLineBreakBecomesCrLf) {
    EXPECT_EQ(ToTextMode("a\nb\n"), "a\r\nb\r\n");
    EXPECT_EQ(ToTextMode("no break"), "no break");
    EXPECT_EQ(ToTextMode("\\Data\\a.scope_ks\n"), "\\Data\\a.scope_ks\r\n");
}

}  // namespace
}  // namespace kiro
