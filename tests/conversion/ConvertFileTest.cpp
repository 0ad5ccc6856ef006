#include "conversion/ConvertFile.h"

#include <gtest/gtest.h>

#include "conversion/OutputNaming.h"
#include "support/Fakes.h"
#include "support/TempDir.h"
#include "testdata/DeviceFileWriter.h"

namespace kiro {
namespace {

using test::ListNames;
using test::ReadFileBytes;
using test::WriteFileBytes;

class ConvertFileTest : public ::testing::Test {
protected:
    ConvertFileTest() {
        log.SetLogFileName(dir / "activity.log");
        log.SetLogEvents(1);
        log.StartNewLogFile();
        headerSize = ReadFileBytes(dir / "activity.log").size();
    }

    int Convert(const std::string& source, unsigned format, int overwritePrompt = 0) {
        return ConvertSpectrumFile(source, format, {overwritePrompt, messageBox, log, clock, user});
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
    std::size_t headerSize = 0;
};

TEST_F(ConvertFileTest, WritesEachFormatNextToTheSourceAndLogsIt) {
    const std::string source = WriteLamp("run1.scope_ks");
    for (const unsigned format : {kFormatTab, kFormatComma, kFormatKiroBench, kFormatSpc}) {
        EXPECT_EQ(Convert(source, format), kConverted) << format;
    }
    EXPECT_EQ(ListNames(dir.Path()),
              (std::vector<std::string>{"activity.log", "run1.Master.scope", "run1.scope",
                                        "run1.scope.spc", "run1.scope_ks"}));
    const std::string stamp = " on Saturday, December 05, 2026, 17:54:02\r\n";
    const std::string prefix = "User alice converted file " + source + " to " + (dir / "run1");
    EXPECT_EQ(LogEntries(), prefix + ".scope (a Tab-delimited ASCII File)" + stamp + prefix +
                                ".scope (a Comma-delimited ASCII File)" + stamp + prefix +
                                ".Master.scope (a KiroBench Data File)" + stamp + prefix +
                                ".scope.spc (a Grams/32-compatible SPC File)" + stamp);
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
    testdata::MakeLampSpectrum().WriteTo(dir / "bright.irradiance_ks");
    testdata::MakeLampSpectrum().WriteTo(dir / "LOUD.SCOPE_KS");
    std::filesystem::create_directory(dir / "folder.scope_ks");
    const std::vector<std::string> before = ListNames(dir.Path());

    for (const char* name : {"short.scope_ks", "fake.scope_ks", "v2.dark_ks"}) {
        EXPECT_EQ(Convert(dir / name, kFormatTab), kNotDeviceSpectrum) << name;
    }
    for (const char* name : {"notes.txt", "bright.irradiance_ks", "LOUD.SCOPE_KS"}) {
        EXPECT_EQ(Convert(dir / name, kFormatTab), kKindNotConvertible) << name;
    }
    EXPECT_EQ(Convert(dir / "absent.scope_ks", kFormatTab), kSourceCannotBeOpened);
    EXPECT_EQ(Convert(dir / "folder.scope_ks", kFormatTab), kSourceCannotBeOpened);
    EXPECT_EQ(Convert(lamp, 4), kUnknownOutputFormat);
    EXPECT_EQ(Convert(lamp, 0xFFFFFFFFu), kUnknownOutputFormat);
    std::filesystem::create_directory(dir / "lamp.scope");
    EXPECT_EQ(Convert(lamp, kFormatTab, 1), kOutputCannotBeCreated);
    EXPECT_TRUE(messageBox.shown.empty()) << "a folder in the way is not offered for overwrite";
    std::filesystem::remove(dir / "lamp.scope");
    EXPECT_EQ(ListNames(dir.Path()), before);
    EXPECT_EQ(LogEntries(), "");
}

TEST_F(ConvertFileTest, AsksBeforeReplacingAnExistingOutputOnlyWhenThePromptIsOne) {
    const std::string source = WriteLamp("run1.scope_ks");
    WriteFileBytes(dir / "run1.scope.spc", "keep me");
    messageBox.answers = {MessageAnswer::No, MessageAnswer::Yes};
    EXPECT_EQ(Convert(source, kFormatSpc, 1), kOverwriteDeclined);
    ASSERT_EQ(messageBox.shown.size(), 1u);
    EXPECT_EQ(messageBox.shown[0].text,
              "File " + (dir / "run1.scope.spc") + " exists.  Overwrite?");
    EXPECT_EQ(messageBox.shown[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(ReadFileBytes(dir / "run1.scope.spc"), "keep me");
    EXPECT_EQ(Convert(source, kFormatSpc, 1), kConverted);
    EXPECT_EQ(ReadFileBytes(dir / "run1.scope.spc").size(), 16928u);

    for (int prompt : {0, 2, -1}) {
        WriteFileBytes(dir / "run1.scope", "old");
        EXPECT_EQ(Convert(source, kFormatTab, prompt), kConverted);
        EXPECT_NE(ReadFileBytes(dir / "run1.scope"), "old");
    }
    std::filesystem::remove(dir / "run1.scope");
    EXPECT_EQ(Convert(source, kFormatTab, 1), kConverted);
    EXPECT_EQ(messageBox.shown.size(), 2u) << "no question without an existing output";

    // Yes, then the source turns out unreadable: the old output stays.
    WriteFileBytes(dir / "bad.scope_ks", std::string(100, '\0'));
    WriteFileBytes(dir / "bad.scope", "previous");
    messageBox.answers = {MessageAnswer::Yes};
    EXPECT_EQ(Convert(dir / "bad.scope_ks", kFormatTab, 1), kNotDeviceSpectrum);
    EXPECT_EQ(ReadFileBytes(dir / "bad.scope"), "previous");
}

TEST_F(ConvertFileTest, AWriteThatFailsPartWayKeepsTheOldOutputAndLeavesNoDebris) {
    const std::string source = WriteLamp("run1.scope_ks");
    WriteFileBytes(dir / "run1.scope.spc", "earlier output");
    const std::vector<std::string> before = ListNames(dir.Path());
    int result;
    {
        test::CFileSizeLimit diskFull(4096);
        result = Convert(source, kFormatSpc);
    }
    EXPECT_EQ(result, kOutputCannotBeCreated);
    EXPECT_EQ(ReadFileBytes(dir / "run1.scope.spc"), "earlier output");
    EXPECT_EQ(ListNames(dir.Path()), before);
    EXPECT_EQ(LogEntries(), "");
    EXPECT_EQ(Convert(source, kFormatSpc), kConverted) << "once there is room again";
}

TEST_F(ConvertFileTest, CutsAnOverlongUserNameAtACharacterBoundary) {
    const std::string source = WriteLamp("run1.dark_ks");
    // An e with acute accent straddles byte 199.
    const CFixedUserName longUser(std::string(198, 'a') + "\xC3\xA9" + "tail");
    EXPECT_EQ(ConvertSpectrumFile(source, kFormatTab, {0, messageBox, log, clock, longUser}),
              kConverted);
    EXPECT_EQ(LogEntries().substr(0, 5 + 198 + 1), "User " + std::string(198, 'a') + " ");
}

TEST_F(ConvertFileTest, ProducesTheSameBytesUnderACommaDecimalLocale) {
    const std::string source = WriteLamp("run1.scope_ks");
    ASSERT_EQ(Convert(source, kFormatKiroBench), kConverted);
    const std::string inC = ReadFileBytes(dir / "run1.Master.scope");
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "the de_DE.UTF-8 locale is not installed";
    }
    const int result = Convert(source, kFormatKiroBench);
    const std::string inGerman = ReadFileBytes(dir / "run1.Master.scope");
    std::setlocale(LC_ALL, previous.c_str());
    EXPECT_EQ(result, kConverted);
    EXPECT_EQ(inGerman, inC);
    EXPECT_NE(inC.find("339.83\t524.389\r\n"), std::string::npos);
}

}  // namespace
}  // namespace kiro
