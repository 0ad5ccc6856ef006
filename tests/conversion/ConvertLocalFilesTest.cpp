#include "conversion/ConvertLocalFiles.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "conversion/OutputNaming.h"
#include "support/Fakes.h"
#include "support/TempDir.h"
#include "testdata/DeviceFileWriter.h"

namespace kiro {
namespace {

using test::ListNames;
using test::ReadFileBytes;
using test::WriteFileBytes;

class ConvertLocalFilesTest : public ::testing::Test {
protected:
    ConvertLocalFilesTest() {
        log.SetLogFileName(dir / "activity.log");
        log.SetLogEvents(1);
        log.StartNewLogFile();
        headerSize = ReadFileBytes(dir / "activity.log").size();
    }

    std::vector<LocalConversion> Run(std::vector<std::string> chosen, unsigned format,
                                     int overwritePrompt = 0) {
        fileDialogs.openAnswers = {std::move(chosen)};
        return command.OnConvertLocalFiles(format, overwritePrompt);
    }

    std::string LogEntries() { return ReadFileBytes(dir / "activity.log").substr(headerSize); }

    test::CTempDir dir;
    CFixedClock clock{MakeLocalTime(2026, 12, 5, 17, 54, 2)};
    CFixedUserName user{"alice"};
    CActivityLog log{clock};
    test::CRecordingMessageBox messageBox;
    test::CRecordingFileDialogs fileDialogs;
    test::CRecordingTextPane statusPane;
    std::vector<std::string> events;
    CConvertLocalFiles command{
        fileDialogs, statusPane, messageBox, log, clock, user, [this](bool busy) {
            events.push_back(busy ? "busy" : "idle");
            // The wait cursor covers exactly the conversions.
            events.push_back(std::to_string(statusPane.texts.size()));
        }};
    std::size_t headerSize = 0;
};

TEST_F(ConvertLocalFilesTest, ConvertsTheBatchAndListsEveryFileThatFailedInOneBox) {
    const std::string lamp = dir / "run1.scope_ks";
    testdata::MakeLampSpectrum().WriteTo(lamp);
    testdata::MakeDarkSpectrum().WriteTo(dir / "run2.dark_ks");
    WriteFileBytes(dir / "run2.dark", "keep me");
    WriteFileBytes(dir / "fake.scope_ks", std::string(8254, 'x'));
    testdata::MakeLampSpectrum().WriteTo(dir / "bright.irradiance_ks");
    const std::vector<std::string> chosen = {lamp, dir / "run2.dark_ks", dir / "fake.scope_ks",
                                             dir / "bright.irradiance_ks", dir / "gone\n.scope_ks"};
    Run({}, kFormatTab);  // cancelled: nothing converted, but the idle text comes back
    EXPECT_EQ(statusPane.texts, std::vector<std::string>{"For Help, press F1"});
    EXPECT_TRUE(events.empty());
    statusPane.texts.clear();

    messageBox.answers = {MessageAnswer::No};  // keep run2.dark
    const std::vector<LocalConversion> results = Run(chosen, kFormatTab, 1);

    ASSERT_EQ(fileDialogs.requests.size(), 2u);
    EXPECT_TRUE(fileDialogs.requests[1].multiple);

    std::vector<std::string> expectedTexts;
    for (std::size_t k = 0; k < chosen.size(); ++k) {
        expectedTexts.push_back("Now converting " + chosen[k] + " -- file " +
                                std::to_string(k + 1) + " of 5");
    }
    expectedTexts.push_back("For Help, press F1");
    EXPECT_EQ(statusPane.texts, expectedTexts);
    EXPECT_EQ(events, (std::vector<std::string>{"busy", "0", "idle", "5"}));

    ASSERT_EQ(results.size(), 5u);
    EXPECT_EQ(results[0].result, kConverted);
    EXPECT_EQ(results[1].result, kOverwriteDeclined);
    EXPECT_EQ(ReadFileBytes(dir / "run2.dark"), "keep me");
    EXPECT_EQ(LogEntries(), "User alice converted file " + lamp + " to " + (dir / "run1.scope") +
                                " (a Tab-delimited ASCII File) on Saturday, December 05, 2026, "
                                "17:54:02\r\n");

    // The overwrite question, then one summary; the declined file is not a failure.
    ASSERT_EQ(messageBox.shown.size(), 2u);
    EXPECT_EQ(messageBox.shown[1].text,
              "Not converted (3 of 5 files):\n\n" + (dir / "fake.scope_ks") +
                  ": not a device spectrum file\n" + (dir / "bright.irradiance_ks") +
                  ": kind not convertible\n" + (dir / "gone\\n.scope_ks") +
                  ": cannot open the source file: No such file or directory");
}

TEST_F(ConvertLocalFilesTest, AFullDiskIsReportedWithItsReasonAndLeavesNoPartialOutput) {
    for (const char* name : {"a.scope_ks", "b.scope_ks"}) {
        testdata::MakeLampSpectrum().WriteTo(dir / name);
    }
    const std::vector<std::string> before = ListNames(dir.Path());
    std::vector<LocalConversion> results;
    {
        test::CFileSizeLimit diskFull(4096);
        results = Run({dir / "a.scope_ks", dir / "b.scope_ks"}, kFormatSpc);
    }
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(ListNames(dir.Path()), before);
    EXPECT_EQ(LogEntries(), "");
    ASSERT_EQ(messageBox.shown.size(), 1u);
    EXPECT_EQ(messageBox.shown[0].text, "Not converted (2 of 2 files):\n\n" + (dir / "a.scope_ks") +
                                            ": cannot create the output file: File too large\n" +
                                            (dir / "b.scope_ks") +
                                            ": cannot create the output file: File too large");
}

TEST_F(ConvertLocalFilesTest, ALogLineThatCannotBeWrittenIsReportedOnceAfterTheBatch) {
    testdata::MakeLampSpectrum().WriteTo(dir / "a.scope_ks");
    testdata::MakeLampSpectrum().WriteTo(dir / "b.scope_ks");
    // The log is already at the limit that the outputs (about 33 KB) still fit under.
    log.WriteLogEntry(std::string(40000, 'x') + "\n");
    const std::string logBefore = ReadFileBytes(dir / "activity.log");
    {
        test::CFileSizeLimit diskFull(logBefore.size() - 1);
        Run({dir / "a.scope_ks", dir / "b.scope_ks"}, kFormatTab);
    }
    EXPECT_TRUE(std::filesystem::exists(dir / "a.scope"));
    EXPECT_TRUE(std::filesystem::exists(dir / "b.scope"));
    EXPECT_EQ(ReadFileBytes(dir / "activity.log"), logBefore);
    ASSERT_EQ(messageBox.shown.size(), 1u);
    EXPECT_EQ(
        messageBox.shown[0].text.rfind(
            "Could not write to the log file " + (dir / "activity.log") + ": File too large.", 0),
        0u);
    EXPECT_FALSE(log.IsOpen());
}

TEST(LocalConversionFailures, ALongListIsCutAndCounted) {
    std::vector<LocalConversion> conversions(30, {"x.txt", kKindNotConvertible, 0});
    conversions.push_back({"ok.scope_ks", kConverted, 0});
    const std::string text = FormatLocalConversionFailures(conversions);
    EXPECT_EQ(text.rfind("Not converted (30 of 31 files):\n", 0), 0u);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1 + 20 + 1);
    EXPECT_TRUE(text.ends_with("\n... and 10 more"));
}

}  // namespace
}  // namespace kiro
