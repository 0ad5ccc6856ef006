#include "conversion/ConvertFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <thread>

#include "conversion/ConversionPipeline.h"
#include "conversion/ConvertLocalFiles.h"
#include "conversion/OutputNaming.h"
#include "platform/Clock.h"
#include "platform/UserName.h"
#include "support/Fakes.h"
#include "support/TempDir.h"
#include "testdata/DeviceFileWriter.h"

namespace kiro {
namespace {

using test::ListNames;
using test::ReadFileBytes;
using test::WriteFileBytes;

// One conversion, and the batch command that runs several and reports them.
class ConvertFileTest : public ::testing::Test {
protected:
    ConvertFileTest() {
        log.SetLogFileName(dir / "activity.log");
        log.SetLogEvents(1);
        log.StartNewLogFile();
        headerSize = ReadFileBytes(dir / "activity.log").size();
    }

    // ConvertSpectrumFile with a stored format code, or with a format's.
    int Convert(const std::string& source, unsigned code, int overwritePrompt = 0) {
        return ConvertSpectrumFile(
            source, code,
            {OutputOverwriteFromSetting(overwritePrompt), messageBox, log, clock, user});
    }
    int Convert(const std::string& source, OutputFormat format, int overwritePrompt = 0) {
        return Convert(source, OutputFormatCode(format), overwritePrompt);
    }
    std::vector<LocalConversion> RunBatch(std::vector<std::string> chosen, OutputFormat format,
                                          int overwritePrompt = 0) {
        fileDialogs.openAnswers = {std::move(chosen)};
        return batch.OnConvertLocalFiles(format, OutputOverwriteFromSetting(overwritePrompt));
    }
    std::string LogEntries() { return ReadFileBytes(dir / "activity.log").substr(headerSize); }
    std::string WriteLamp(const std::string& name) {
        testdata::MakeLampSpectrum().WriteTo(dir / name);
        return dir / name;
    }

    test::CTempDir dir;
    CFixedClock clock{MakeLocalTime(2026, 12, 5, 17, 54, 2)};
    CFixedUserName user{"alice"};
    CActivityLog log{clock};
    test::CRecordingMessageBox messageBox;
    test::CRecordingFileDialogs fileDialogs;
    test::CRecordingTextPane statusPane;
    std::vector<std::string> events;
    CConvertLocalFiles batch{
        fileDialogs, statusPane, messageBox, log, clock, user, [this](bool busy) {
            events.push_back(busy ? "busy" : "idle");
            // The wait cursor covers exactly the conversions.
            events.push_back(std::to_string(statusPane.texts.size()));
        }};
    std::size_t headerSize = 0;
};

TEST_F(ConvertFileTest, WritesEachFormatNextToTheSourceAndLogsIt) {
    const std::string source = WriteLamp("run1.scope_ks");
    for (const OutputFormat format :
         {OutputFormat::Tab, OutputFormat::Comma, OutputFormat::KiroBench, OutputFormat::Spc,
          OutputFormat::Jcamp}) {
        EXPECT_EQ(Convert(source, format), kConverted) << OutputFormatCode(format);
    }
    EXPECT_EQ(ListNames(dir.Path()),
              (std::vector<std::string>{"activity.log", "run1.Master.scope", "run1.scope",
                                        "run1.scope.jdx", "run1.scope.spc", "run1.scope_ks"}));
    const std::string stamp = " on Saturday, December 05, 2026, 17:54:02\r\n";
    const std::string prefix = "User alice converted file " + source + " to " + (dir / "run1");
    EXPECT_EQ(LogEntries(), prefix + ".scope (a Tab-delimited ASCII File)" + stamp + prefix +
                                ".scope (a Comma-delimited ASCII File)" + stamp + prefix +
                                ".Master.scope (a KiroBench Data File)" + stamp + prefix +
                                ".scope.spc (a Grams/32-compatible SPC File)" + stamp + prefix +
                                ".scope.jdx (a JCAMP-DX File)" + stamp);
    // The title names the spectrum by its source file, the owner is the user the log names.
    const std::string jcamp = ReadFileBytes(dir / "run1.scope.jdx");
    EXPECT_EQ(jcamp.rfind("##TITLE=run1.scope_ks\r\n", 0), 0u);
    EXPECT_NE(jcamp.find("\r\n##OWNER=alice\r\n"), std::string::npos);
    EXPECT_TRUE(messageBox.shown.empty());
}

TEST_F(ConvertFileTest, RefusesWhatItCannotConvertWithoutOutputOrLogLine) {
    const std::string lamp = WriteLamp("lamp.scope_ks");
    const std::vector<unsigned char> whole = testdata::MakeLampSpectrum().Bytes();
    WriteFileBytes(dir / "short.scope_ks", std::string(whole.begin(), whole.begin() + 8253));
    WriteFileBytes(dir / "fake.scope_ks", std::string(8254, 'x'));
    testdata::SpectrumFixture version2 = testdata::MakeLampSpectrum();
    version2.version = 2;
    version2.WriteTo(dir / "v2.dark_ks");
    WriteFileBytes(dir / "notes.txt", "hello");
    std::filesystem::create_directory(dir / "folder.scope_ks");
    const std::vector<std::string> before = ListNames(dir.Path());

    for (const char* name : {"short.scope_ks", "fake.scope_ks", "v2.dark_ks"}) {
        EXPECT_EQ(Convert(dir / name, OutputFormat::Tab), kNotDeviceSpectrum) << name;
    }
    // Which kinds convert, OutputNaming shows; here that a refused kind writes nothing.
    EXPECT_EQ(Convert(dir / "notes.txt", OutputFormat::Tab), kKindNotConvertible);
    EXPECT_EQ(Convert(dir / "absent.scope_ks", OutputFormat::Tab), kSourceCannotBeOpened);
    EXPECT_EQ(Convert(dir / "folder.scope_ks", OutputFormat::Tab), kSourceCannotBeOpened);
    EXPECT_EQ(Convert(lamp, 5), kUnknownOutputFormat);
    EXPECT_EQ(Convert(lamp, 0xFFFFFFFFu), kUnknownOutputFormat);
    std::filesystem::create_directory(dir / "lamp.scope");
    EXPECT_EQ(Convert(lamp, OutputFormat::Tab, 1), kOutputCannotBeCreated);
    EXPECT_TRUE(messageBox.shown.empty()) << "a folder in the way is not offered for overwrite";
    std::filesystem::remove(dir / "lamp.scope");
    EXPECT_EQ(ListNames(dir.Path()), before);
    EXPECT_EQ(LogEntries(), "");

    // A wavelength scale that is not finite gives x values that are no numbers, which a
    // JCAMP-DX file cannot hold: that output cannot be made, and one already there stays.
    testdata::SpectrumFixture noScale = testdata::MakeLampSpectrum();
    noScale.wlCoef2 = std::numeric_limits<float>::quiet_NaN();
    noScale.WriteTo(dir / "noscale.scope_ks");
    WriteFileBytes(dir / "noscale.scope.jdx", "earlier");
    const ConversionOutcome outcome = ConvertSpectrumFileAs(
        dir / "noscale.scope_ks", dir / "noscale.scope_ks", OutputFormat::Jcamp,
        {OutputOverwrite::Replace, messageBox, log, clock, user});
    EXPECT_EQ(outcome.status, ConversionStatus::OutputCannotBeCreated);
    EXPECT_EQ(DescribeConversionOutcome(outcome),
              "cannot create the output file: the wavelength scale is not finite");
    EXPECT_EQ(Convert(dir / "noscale.scope_ks", OutputFormat::Jcamp), kOutputCannotBeCreated);
    EXPECT_EQ(ReadFileBytes(dir / "noscale.scope.jdx"), "earlier");
    EXPECT_EQ(LogEntries(), "");
}

TEST_F(ConvertFileTest, AsksBeforeReplacingAnExistingOutputOnlyWhenThePromptIsOne) {
    const std::string source = WriteLamp("run1.scope_ks");
    WriteFileBytes(dir / "run1.scope.spc", "keep me");
    messageBox.answers = {MessageAnswer::No, MessageAnswer::Yes};
    EXPECT_EQ(Convert(source, OutputFormat::Spc, 1), kOverwriteDeclined);
    ASSERT_EQ(messageBox.shown.size(), 1u);
    EXPECT_EQ(messageBox.shown[0].text,
              "File " + (dir / "run1.scope.spc") + " exists.  Overwrite?");
    EXPECT_EQ(messageBox.shown[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(ReadFileBytes(dir / "run1.scope.spc"), "keep me");
    EXPECT_EQ(Convert(source, OutputFormat::Spc, 1), kConverted);
    EXPECT_EQ(ReadFileBytes(dir / "run1.scope.spc").size(), 16928u);

    for (int prompt : {0, 2, -1}) {
        WriteFileBytes(dir / "run1.scope", "old");
        EXPECT_EQ(Convert(source, OutputFormat::Tab, prompt), kConverted);
        EXPECT_NE(ReadFileBytes(dir / "run1.scope"), "old");
    }
    std::filesystem::remove(dir / "run1.scope");
    EXPECT_EQ(Convert(source, OutputFormat::Tab, 1), kConverted);
    EXPECT_EQ(messageBox.shown.size(), 2u) << "no question without an existing output";

    // Yes, then the source turns out unreadable: the old output stays.
    WriteFileBytes(dir / "bad.scope_ks", std::string(100, '\0'));
    WriteFileBytes(dir / "bad.scope", "previous");
    messageBox.answers = {MessageAnswer::Yes};
    EXPECT_EQ(Convert(dir / "bad.scope_ks", OutputFormat::Tab, 1), kNotDeviceSpectrum);
    EXPECT_EQ(ReadFileBytes(dir / "bad.scope"), "previous");
}

// Through the batch command, which also names the system's reason.
TEST_F(ConvertFileTest, AWriteThatFailsPartWayKeepsTheOldOutputAndLeavesNoDebris) {
    KIRO_SKIP_WITHOUT_FILE_SIZE_LIMIT();
    const std::string source = WriteLamp("run1.scope_ks");
    WriteFileBytes(dir / "run1.scope.spc", "earlier output");
    const std::vector<std::string> before = ListNames(dir.Path());
    std::vector<LocalConversion> results;
    {
        test::CFileSizeLimit diskFull(4096);
        results = RunBatch({source}, OutputFormat::Spc);
    }
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].outcome.status, ConversionStatus::OutputCannotBeCreated);
    EXPECT_EQ(ReadFileBytes(dir / "run1.scope.spc"), "earlier output");
    EXPECT_EQ(ListNames(dir.Path()), before);
    EXPECT_EQ(LogEntries(), "");
    ASSERT_EQ(messageBox.shown.size(), 1u);
    EXPECT_EQ(messageBox.shown[0].text, "Not converted (1 of 1 files):\n\n" + source +
                                            ": cannot create the output file: File too large");
    EXPECT_EQ(Convert(source, OutputFormat::Spc), kConverted) << "once there is room again";
}

TEST_F(ConvertFileTest, CutsAnOverlongUserNameAtACharacterBoundary) {
    const std::string source = WriteLamp("run1.dark_ks");
    // An e with acute accent straddles byte 199.
    const CFixedUserName longUser(std::string(198, 'a') + "\xC3\xA9" + "tail");
    EXPECT_EQ(ConvertSpectrumFile(source, OutputFormatCode(OutputFormat::Tab),
                                  {OutputOverwrite::Replace, messageBox, log, clock, longUser}),
              kConverted);
    EXPECT_EQ(LogEntries().substr(0, 5 + 198 + 1), "User " + std::string(198, 'a') + " ");
}

TEST_F(ConvertFileTest, ProducesTheSameBytesUnderACommaDecimalLocale) {
    const std::string source = WriteLamp("run1.scope_ks");
    const auto convertBoth = [&] {
        EXPECT_EQ(Convert(source, OutputFormat::KiroBench), kConverted);
        EXPECT_EQ(Convert(source, OutputFormat::Jcamp), kConverted);
        return ReadFileBytes(dir / "run1.Master.scope") + ReadFileBytes(dir / "run1.scope.jdx");
    };
    const std::string inC = convertBoth();
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    ASSERT_NE(std::setlocale(LC_ALL, test::kCommaDecimalLocale), nullptr)
        << "the set-up script installs " << test::kCommaDecimalLocale;
    const std::string inGerman = convertBoth();
    std::setlocale(LC_ALL, previous.c_str());
    EXPECT_EQ(inGerman, inC);
    EXPECT_NE(inC.find("339.83\t98.216\r\n"), std::string::npos);
}

TEST_F(ConvertFileTest, BatchConvertsAllAndListsEveryFileThatFailedInOneBox) {
    KIRO_SKIP_WITHOUT_FIFOS();
    const std::string lamp = dir / "run1.scope_ks";
    testdata::MakeLampSpectrum().WriteTo(lamp);
    testdata::MakeDarkSpectrum().WriteTo(dir / "run2.dark_ks");
    WriteFileBytes(dir / "run2.dark", "keep me");
    WriteFileBytes(dir / "fake.scope_ks", std::string(8254, 'x'));
    testdata::MakeLampSpectrum().WriteTo(dir / "bright.irradiance_ks");
    ASSERT_TRUE(test::MakeFifo(dir / "pipe.scope_ks"));  // refused, not waited on
    const std::vector<std::string> chosen = {lamp,
                                             dir / "run2.dark_ks",
                                             dir / "fake.scope_ks",
                                             dir / "bright.irradiance_ks",
                                             dir / "gone\n.scope_ks",
                                             dir / "pipe.scope_ks"};
    RunBatch({}, OutputFormat::Tab);  // cancelled: nothing converted, but the idle text comes back
    EXPECT_EQ(statusPane.texts, std::vector<std::string>{"For Help, press F1"});
    EXPECT_TRUE(events.empty());
    statusPane.texts.clear();

    messageBox.answers = {MessageAnswer::No};  // keep run2.dark
    const std::vector<LocalConversion> results = RunBatch(chosen, OutputFormat::Tab, 1);

    ASSERT_EQ(fileDialogs.requests.size(), 2u);
    EXPECT_TRUE(fileDialogs.requests[1].multiple);

    std::vector<std::string> expectedTexts;
    for (std::size_t k = 0; k < chosen.size(); ++k) {
        expectedTexts.push_back("Now converting " + chosen[k] + " -- file " +
                                std::to_string(k + 1) + " of 6");
    }
    expectedTexts.push_back("For Help, press F1");
    EXPECT_EQ(statusPane.texts, expectedTexts);
    EXPECT_EQ(events, (std::vector<std::string>{"busy", "0", "idle", "6"}));

    ASSERT_EQ(results.size(), 6u);
    EXPECT_EQ(results[0].outcome.status, ConversionStatus::Converted);
    EXPECT_EQ(results[1].outcome.status, ConversionStatus::OverwriteDeclined);
    EXPECT_EQ(ReadFileBytes(dir / "run2.dark"), "keep me");
    EXPECT_EQ(LogEntries(), "User alice converted file " + lamp + " to " + (dir / "run1.scope") +
                                " (a Tab-delimited ASCII File) on Saturday, December 05, 2026, "
                                "17:54:02\r\n");

    // The overwrite question, then one summary; the declined file is not a failure.
    ASSERT_EQ(messageBox.shown.size(), 2u);
    EXPECT_EQ(messageBox.shown[1].text,
              "Not converted (4 of 6 files):\n\n" + (dir / "fake.scope_ks") +
                  ": not a device spectrum file\n" + (dir / "bright.irradiance_ks") +
                  ": kind not convertible\n" + (dir / "gone\\n.scope_ks") +
                  ": cannot open the source file: No such file or directory\n" +
                  (dir / "pipe.scope_ks") + ": not a regular file");
}

TEST_F(ConvertFileTest, BatchReportsALostLogLineOnceAfterTheBatch) {
    KIRO_SKIP_WITHOUT_FILE_SIZE_LIMIT();
    testdata::MakeLampSpectrum().WriteTo(dir / "a.scope_ks");
    testdata::MakeLampSpectrum().WriteTo(dir / "b.scope_ks");
    // The log is already at the limit that the outputs (about 33 KB) still fit under.
    log.WriteLogEntry(std::string(40000, 'x') + "\n");
    const std::string logBefore = ReadFileBytes(dir / "activity.log");
    {
        test::CFileSizeLimit diskFull(logBefore.size() - 1);
        RunBatch({dir / "a.scope_ks", dir / "b.scope_ks"}, OutputFormat::Tab);
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

// Later files are read and formatted ahead on a worker thread; everything the user and
// the log see still happens in the batch's order, on the caller's thread.
TEST_F(ConvertFileTest, ABatchFinishesInOrderOnTheCallersThreadWhileLaterFilesAreReadAhead) {
    std::vector<std::string> sources;
    for (int k = 0; k < 12; ++k) {
        sources.push_back(dir / ("f" + std::to_string(k) + ".scope_ks"));
        if (k != 10) {
            testdata::MakeLampSpectrum().WriteTo(sources.back());
        }
    }
    WriteFileBytes(sources[3], std::string(8254, 'x'));
    WriteFileBytes(dir / "f5.scope", "keep me");
    WriteFileBytes(dir / "f8.scope", "replace me");
    messageBox.answers = {MessageAnswer::No, MessageAnswer::Yes};
    std::vector<std::thread::id> askedOn;
    // While the user answers f8's question, f8 changes; what is written is the file as it is then.
    messageBox.onShow = [&] {
        askedOn.push_back(std::this_thread::get_id());
        if (askedOn.size() == 2) {
            testdata::MakeDarkSpectrum().WriteTo(sources[8]);
        }
    };

    std::vector<ConversionStatus> results;
    const ConversionContext asking(OutputOverwrite::Ask, messageBox, log, clock, user);
    {
        CConversionPipeline pipeline(sources, OutputFormat::Tab, asking);
        for (std::size_t k = 0; k < pipeline.Size(); ++k) {
            results.push_back(pipeline.ConvertNext().status);
        }
    }
    std::vector<ConversionStatus> expected(12, ConversionStatus::Converted);
    expected[3] = ConversionStatus::NotDeviceSpectrum;
    expected[5] = ConversionStatus::OverwriteDeclined;
    expected[10] = ConversionStatus::SourceCannotBeOpened;
    EXPECT_EQ(results, expected);
    ASSERT_EQ(messageBox.shown.size(), 2u);
    EXPECT_EQ(messageBox.shown[0].text, "File " + (dir / "f5.scope") + " exists.  Overwrite?");
    EXPECT_EQ(messageBox.shown[1].text, "File " + (dir / "f8.scope") + " exists.  Overwrite?");
    EXPECT_EQ(askedOn, std::vector<std::thread::id>(2, std::this_thread::get_id()));
    EXPECT_EQ(ReadFileBytes(dir / "f5.scope"), "keep me");
    EXPECT_TRUE(ReadFileBytes(dir / "f8.scope") != ReadFileBytes(dir / "f0.scope"))
        << "f8 was converted as it was before the answer";

    const std::string entries = LogEntries();
    std::size_t at = 0;
    for (const int k : {0, 1, 2, 4, 6, 7, 8, 9, 11}) {
        at = entries.find("converted file " + sources[k] + " ", at);
        ASSERT_NE(at, std::string::npos) << "f" << k << " logged, and in order";
    }
    EXPECT_EQ(std::count(entries.begin(), entries.end(), '\n'), 9);

    // A batch given up after its first file writes nothing more, and stops its worker.
    std::filesystem::remove(dir / "f0.scope");
    std::filesystem::remove(dir / "f1.scope");
    {
        const ConversionContext replacing(OutputOverwrite::Replace, messageBox, log, clock, user);
        CConversionPipeline pipeline(sources, OutputFormat::Tab, replacing);
        EXPECT_EQ(pipeline.ConvertNext().status, ConversionStatus::Converted);
    }
    EXPECT_TRUE(std::filesystem::exists(dir / "f0.scope"));
    EXPECT_FALSE(std::filesystem::exists(dir / "f1.scope"));

    // A file read ahead before its output appeared is asked about, and after the Yes read
    // again: what the user agreed to replace is made from the file as it is then.
    const std::string ahead = WriteLamp("ahead.scope_ks");
    PreparedConversion early = PrepareConversion(ahead, ahead, OutputFormat::Tab, asking);
    ASSERT_TRUE(early.contentRead);
    WriteFileBytes(dir / "ahead.scope", "appeared meanwhile");
    messageBox.answers = {MessageAnswer::Yes};
    messageBox.onShow = [&] { testdata::MakeDarkSpectrum().WriteTo(ahead); };
    EXPECT_EQ(FinishConversion(std::move(early), ahead, ahead, OutputFormat::Tab, asking).status,
              ConversionStatus::Converted);
    EXPECT_EQ(messageBox.shown.size(), 3u);
    testdata::MakeDarkSpectrum().WriteTo(dir / "dark.scope_ks");
    EXPECT_EQ(Convert(dir / "dark.scope_ks", OutputFormat::Tab), kConverted);
    EXPECT_EQ(ReadFileBytes(dir / "ahead.scope"), ReadFileBytes(dir / "dark.scope"));
}

TEST(LocalConversionFailures, ALongListIsCutAndCounted) {
    std::vector<LocalConversion> conversions(
        30, {"x.txt", {ConversionStatus::KindNotConvertible, 0, "", ""}});
    conversions.push_back({"ok.scope_ks", {ConversionStatus::Converted, 0, "", ""}});
    const std::string text = FormatLocalConversionFailures(conversions);
    EXPECT_EQ(text.rfind("Not converted (30 of 31 files):\n", 0), 0u);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1 + 20 + 1);
    EXPECT_TRUE(text.ends_with("\n... and 10 more"));
}

// The kind is what follows the last dot of the whole path, matched exactly.
TEST(OutputNaming, TakesTheKindAfterTheLastDotOfTheWholePathAndMatchesItExactly) {
    EXPECT_EQ(OutputPathFor("C:\\data\\s.sample_ks", OutputFormat::Spc), "C:\\data\\s.scope.spc");
    EXPECT_EQ(OutputPathFor(".scope_ks", OutputFormat::Tab), ".scope");
    EXPECT_EQ(OutputPathFor("/data/run.1/a.dark_ks", OutputFormat::KiroBench),
              "/data/run.1/a.Master.dark");
    EXPECT_EQ(SplitSourcePath("C:\\data\\run.1\\scan").kind, "1\\scan");
    EXPECT_EQ(SplitSourcePath("noextension").base, "");
    EXPECT_EQ(SplitSourcePath("noextension").kind, "noextension");
    EXPECT_FALSE(OutputPathFor("/data/run.1/plain", OutputFormat::Tab).has_value());
    // In an output folder an output keeps the name it has beside its source.
    EXPECT_EQ(OutputPathFor("/data/run.1/a.dark_ks", OutputFormat::Spc, "/out/"),
              "/out/a.dark.spc");
    EXPECT_FALSE(OutputPathFor("/data/run.1/plain", OutputFormat::Tab, "/out/").has_value());
    for (const char* kind : {"SCOPE_KS", "irradiance_ks", "", "scope_ks ", "log_ks"}) {
        EXPECT_FALSE(OutputSuffixFor(kind, OutputFormat::Tab).has_value()) << kind;
    }
}

}  // namespace
}  // namespace kiro
