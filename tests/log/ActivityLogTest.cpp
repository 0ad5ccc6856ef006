#include "log/ActivityLog.h"

#include <gtest/gtest.h>

#include "support/TempDir.h"

namespace kiro {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

const std::string kHeader =
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

TEST_F(ActivityLogTest, StartUpContinuesAnExistingLogOrCreatesOneWithItsHeader) {
    log.SetLogEvents(1);
    log.OpenLogAtStartup();
    EXPECT_TRUE(log.IsOpen());
    log.WriteLogEntry("User bob cancelled file transfer and conversion\n");
    EXPECT_EQ(ReadFileBytes(path), kHeader + "User bob cancelled file transfer and conversion\r\n");
    log.CloseLog();

    WriteFileBytes(path, "earlier line\r\n");
    log.OpenLogAtStartup();
    EXPECT_EQ(ReadFileBytes(path), "earlier line\r\n");
    log.WriteLogEntry("next\n");
    EXPECT_EQ(ReadFileBytes(path), "earlier line\r\nnext\r\n");

    // A new file replaces the old one, stamped with the time it was started.
    clock.Set(MakeLocalTime(2026, 12, 25, 23, 59, 9));
    EXPECT_TRUE(log.StartNewLogFile());
    EXPECT_EQ(ReadFileBytes(path),
              "Corvane Tech Kiro-SCAN File Conversion Utility Log File\r\n"
              "Log created 12/25/2026 at 23:59:09\r\n"
              "======================================================\r\n");
}

TEST_F(ActivityLogTest, EntriesReachTheFileOnlyWhileEnabledAndOpen) {
    for (int value : {0, 2, -1}) {
        log.SetLogEvents(value);
        log.OpenLogAtStartup();
        EXPECT_FALSE(log.IsOpen());
        log.WriteLogEntry("not while disabled\n");
        EXPECT_FALSE(std::filesystem::exists(path));
    }
    log.SetLogEvents(1);
    log.WriteLogEntry("not before a file is started\n");
    EXPECT_FALSE(std::filesystem::exists(path));

    log.StartNewLogFile();
    log.SetLogEvents(2);
    log.WriteLogEntry("not while disabled\n");
    log.SetLogEvents(1);
    log.WriteLogEntry("a\n");
    log.CloseLog();
    log.WriteLogEntry("not while closed\n");
    log.FlushLog();
    EXPECT_EQ(ReadFileBytes(path), kHeader + "a\r\n");
}

}  // namespace
}  // namespace kiro
