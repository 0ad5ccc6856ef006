#include "transfer/TransferJob.h"

#include <gtest/gtest.h>

#include "conversion/ConvertFile.h"
#include "devicelink/FakeRemoteApi.h"
#include "devicelink/MemoryControls.h"
#include "devicelink/RecordingProgressBar.h"
#include "support/Fakes.h"
#include "support/TempDir.h"
#include "testdata/DeviceFileWriter.h"
#include "transfer/TransferActions.h"

namespace kiro {
namespace {

using test::ListNames;
using test::ReadFileBytes;

class CRecordingText final : public ITextPane {
public:
    void SetText(const std::string& text) override { texts.push_back(text); }
    std::vector<std::string> texts;
};

std::string SpectrumBytes() {
    const auto bytes = testdata::MakeLampSpectrum().Bytes();
    return std::string(bytes.begin(), bytes.end());
}

const char* const kStamp = " on Saturday, December 05, 2026, 17:54:02\r\n";

class TransferJobTest : public ::testing::Test {
protected:
    TransferJobTest() {
        api.AddFile(u"\\Data\\a.scope_ks", SpectrumBytes());
        api.AddFile(u"\\Data\\b.dark_ks", SpectrumBytes());
        api.AddFile(u"\\Data\\run.experiment_ks", "experiment");
        api.AddFile(u"\\Data\\run.log_ks", "log");
        api.AddFile(u"\\Data\\notes.txt", "notes");
        api.AddFile(u"\\root.scope_ks", SpectrumBytes());
        link.Connect();
        log.SetLogFileName(pcDir / "LogFile.log");
        log.SetLogEvents(1);
        log.StartNewLogFile();
        header = ReadFileBytes(pcDir / "LogFile.log").size();
        settings.targetDirectory = pcDir.Path().string();
    }

    void Browse(const std::u16string& folder, const std::vector<std::string>& names) {
        SelectDeviceFolder(tree, folder);
        link.FillFileList(folder, list);
        for (const std::string& name : names) {
            ASSERT_TRUE(list.SelectByLabel(name)) << name;
        }
    }

    TransferOutcome Run(int action, int connectState = 0) {
        settings.defaultAction = action;
        TransferJobEnvironment environment{
            link,
            tree,
            list,
            log,
            clock,
            user,
            messageBox,
            fileBar,
            totalBar,
            status,
            frameStatus,
            [this](const std::string& readFrom, const std::string& namedAs, unsigned format) {
                converted.push_back(namedAs);
                return ConvertSpectrumFileAs(readFrom, namedAs, format,
                                             {0, messageBox, log, clock, user});
            },
            [this] {
                ++drains;
                if (onDrain) {
                    onDrain();
                }
            }};
        job.emplace(environment, connectState, settings);
        return job->RunTransferJob();
    }

    std::string LogEntries() { return ReadFileBytes(pcDir / "LogFile.log").substr(header); }
    std::string Local(const std::string& name) { return pcDir / name; }

    test::CTempDir pcDir;
    test::CFakeRemoteApi api;
    test::CRecordingMessageBox messageBox;
    CDeviceLink link{api, messageBox};
    CMemoryTree tree;
    CMemoryFileList list;
    CFixedClock clock{MakeLocalTime(2026, 12, 5, 17, 54, 2)};
    CFixedUserName user{"alice"};
    CActivityLog log{clock};
    test::CRecordingProgressBar fileBar;
    test::CRecordingProgressBar totalBar;
    CRecordingText status;
    CRecordingText frameStatus;
    TransferSettings settings;
    std::optional<CTransferJob> job;
    std::vector<std::string> converted;
    std::function<void()> onDrain;
    int drains = 0;
    std::size_t header = 0;
};

TEST_F(TransferJobTest, CopyOnlyCopiesEachSelectedFileAndLogsIt) {
    Browse(u"\\Data", {"a.scope_ks", "b.dark_ks", "notes.txt"});
    const TransferOutcome outcome = Run(kActionCopyOnly);
    EXPECT_TRUE(outcome.started);
    EXPECT_EQ(outcome.handled, 3);
    EXPECT_EQ(outcome.failures, 0);
    EXPECT_EQ(totalBar.upper, 3);
    EXPECT_EQ(totalBar.positions, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(drains, 3);
    EXPECT_EQ(ReadFileBytes(Local("notes.txt")), "notes");
    EXPECT_TRUE(converted.empty());
    EXPECT_EQ(LogEntries(), "User alice copied file \\Data\\a.scope_ks (8254 bytes) to " +
                                Local("a.scope_ks") + kStamp +
                                "User alice copied file \\Data\\b.dark_ks (8254 bytes) to " +
                                Local("b.dark_ks") + kStamp +
                                "User alice copied file \\Data\\notes.txt (5 bytes) to " +
                                Local("notes.txt") + kStamp);
    EXPECT_EQ(status.texts.front(),
              "Copying \\Data\\a.scope_ks to " + Local("a.scope_ks") + "\n8254 bytes");
    EXPECT_EQ(api.files.size(), 6u) << "nothing deleted on the handheld";
}

TEST_F(TransferJobTest, RootFilesHaveOneBackslashAndControlCharactersStayInTheirLine) {
    api.AddFile(u"\\odd\nname\x1B.scope_ks", SpectrumBytes());
    Browse(u"\\", {"root.scope_ks", "odd\nname\x1B.scope_ks"});
    Run(kActionCopyAndConvert);
    EXPECT_EQ(status.texts.front().substr(0, 23), "Copying and converting ");
    const std::string entries = LogEntries();
    EXPECT_NE(entries.find("copied file \\root.scope_ks (8254 bytes)"), std::string::npos);
    EXPECT_NE(entries.find("copied file \\odd\\nname\\x1B.scope_ks (8254 bytes) to "),
              std::string::npos);
    EXPECT_EQ(std::count(entries.begin(), entries.end(), '\n'), 4) << entries;
    EXPECT_EQ(entries.find('\x1B'), std::string::npos);
    // The PC file keeps the handheld's name as it is.
    EXPECT_EQ(ReadFileBytes(Local("odd\nname\x1B.scope_ks")), SpectrumBytes());
    EXPECT_TRUE(std::filesystem::exists(Local("odd\nname\x1B.scope")));
}

TEST_F(TransferJobTest, CopyAndConvertSkipsExperimentsAndLogs) {
    Browse(u"\\Data", {"a.scope_ks", "run.experiment_ks", "run.log_ks"});
    const TransferOutcome outcome = Run(kActionCopyAndConvert);
    EXPECT_EQ(outcome.failures, 0);
    EXPECT_EQ(converted, std::vector<std::string>{Local("a.scope_ks")});
    EXPECT_TRUE(std::filesystem::exists(Local("a.scope")));
    EXPECT_EQ(
        LogEntries(),
        "User alice copied file \\Data\\a.scope_ks (8254 bytes) to " + Local("a.scope_ks") +
            kStamp + "User alice converted file " + Local("a.scope_ks") + " to " +
            Local("a.scope") + " (a Tab-delimited ASCII File)" + kStamp +
            "User alice copied file \\Data\\run.experiment_ks (10 bytes) to " +
            Local("run.experiment_ks") + kStamp +
            "No conversion necessary for file \\Data\\run.experiment_ks (filetype "
            "Kiro-SCAN Experiment)\r\n" +
            "User alice copied file \\Data\\run.log_ks (3 bytes) to " + Local("run.log_ks") +
            kStamp +
            "No conversion necessary for file \\Data\\run.log_ks (filetype Kiro-SCAN Log)\r\n");
    EXPECT_EQ(status.texts.front().substr(0, 23), "Copying and converting ");
}

TEST_F(TransferJobTest, MoveAndConvertDeletesOnlyWhatItConverted) {
    Browse(u"\\Data", {"a.scope_ks", "run.log_ks"});
    Run(kActionMoveAndConvert);
    EXPECT_EQ(api.deleted, std::vector<std::u16string>{u"\\Data\\a.scope_ks"});
    EXPECT_EQ(api.files.count(u"\\Data\\run.log_ks"), 1u) << "a log file stays on the handheld";
    const std::string entries = LogEntries();
    const std::size_t copiedAt = entries.find("copied file \\Data\\a.scope_ks");
    const std::size_t convertedAt = entries.find("converted file");
    const std::size_t deletedAt =
        entries.find("User alice deleted remote file \\Data\\a.scope_ks" + std::string(kStamp));
    EXPECT_LT(copiedAt, convertedAt);
    EXPECT_LT(convertedAt, deletedAt);
    EXPECT_NE(deletedAt, std::string::npos);
    EXPECT_NE(std::find(status.texts.begin(), status.texts.end(),
                        "Deleting remote file \\Data\\a.scope_ks"),
              status.texts.end());
    // The list is read again, so the moved file is gone from it.
    EXPECT_EQ(frameStatus.texts, std::vector<std::string>{"Getting Directory Contents"});
    EXPECT_FALSE(list.SelectByLabel("a.scope_ks"));
    EXPECT_TRUE(list.SelectByLabel("run.log_ks"));
}

TEST_F(TransferJobTest, MoveOnlyShowsItsOwnTextAndLogsARefusedDeletion) {
    api.files[u"\\Data\\b.dark_ks"].refuseDelete = true;
    Browse(u"\\Data", {"a.scope_ks", "b.dark_ks", "notes.txt"});
    const TransferOutcome outcome = Run(kActionMoveOnly);
    EXPECT_EQ(outcome.handled, 3);
    EXPECT_EQ(outcome.failures, 1);
    EXPECT_EQ(status.texts.front(),
              "Moving \\Data\\a.scope_ks to " + Local("a.scope_ks") + "\n8254 bytes");
    EXPECT_NE(LogEntries().find("**FAILURE** User alice deleted remote file \\Data\\b.dark_ks" +
                                std::string(kStamp)),
              std::string::npos);
    EXPECT_EQ(api.deleted,
              (std::vector<std::u16string>{u"\\Data\\a.scope_ks", u"\\Data\\notes.txt"}));
    EXPECT_TRUE(converted.empty());
    EXPECT_EQ(status.texts.back(),
              "The transfer finished with failures: 1 of 3 files were not handled as asked.");
}

TEST_F(TransferJobTest, ConvertOnlyKeepsJustTheOutputAndNeverReplacesAPcFile) {
    // PC files that happen to share the handheld files' names are the user's own.
    test::WriteFileBytes(Local("a.scope_ks"), "precious");
    api.AddFile(u"\\Data\\c.experiment_ks", "new experiment");
    test::WriteFileBytes(Local("c.experiment_ks"), "precious experiment");
    Browse(u"\\Data", {"a.scope_ks", "run.experiment_ks", "c.experiment_ks"});
    const TransferOutcome outcome = Run(kActionConvertOnly);
    EXPECT_EQ(ListNames(pcDir.Path()),
              (std::vector<std::string>{"LogFile.log", "a.scope", "a.scope_ks", "c.experiment_ks",
                                        "run.experiment_ks"}));
    EXPECT_EQ(ReadFileBytes(Local("a.scope_ks")), "precious");
    EXPECT_EQ(ReadFileBytes(Local("c.experiment_ks")), "precious experiment");
    EXPECT_EQ(ReadFileBytes(Local("run.experiment_ks")), "experiment");
    EXPECT_EQ(outcome.failures, 1) << "the experiment file could not be kept beside the PC's own";
    EXPECT_TRUE(job->Records()[1].keptExistingPcFile) << job->Records()[1].name;
    EXPECT_NE(LogEntries().find("User alice converted file " + Local("a.scope_ks") + " to " +
                                Local("a.scope")),
              std::string::npos);
    EXPECT_NE(LogEntries().find("User alice deleted local file " + Local("a.scope_ks") + kStamp),
              std::string::npos);
    EXPECT_TRUE(api.deleted.empty());
    EXPECT_EQ(status.texts.front().substr(0, 23), "Copying for conversion ");
}

TEST_F(TransferJobTest, AFailedCopyIsNeitherConvertedNorDeleted) {
    api.files[u"\\Data\\a.scope_ks"].failReadAfter = 5000;
    test::WriteFileBytes(Local("a.scope_ks"), "an earlier copy");
    Browse(u"\\Data", {"a.scope_ks", "b.dark_ks"});
    const TransferOutcome outcome = Run(kActionMoveAndConvert);
    EXPECT_EQ(outcome.failures, 1);
    EXPECT_EQ(api.files.count(u"\\Data\\a.scope_ks"), 1u) << "the handheld keeps its file";
    EXPECT_EQ(api.deleted, std::vector<std::u16string>{u"\\Data\\b.dark_ks"});
    EXPECT_EQ(converted, std::vector<std::string>{Local("b.dark_ks")});
    EXPECT_EQ(ReadFileBytes(Local("a.scope_ks")), "an earlier copy");
    const std::string failureLine =
        "**FAILURE** User alice copied file \\Data\\a.scope_ks (8254 bytes) to " +
        Local("a.scope_ks") + kStamp;
    EXPECT_EQ(LogEntries().substr(0, failureLine.size()), failureLine);
    EXPECT_EQ(LogEntries().find("deleted remote file \\Data\\a.scope_ks"), std::string::npos);
}

TEST_F(TransferJobTest, AMissingOrEmptyTargetDirectoryLosesNothing) {
    for (const std::string& target : {std::string(), (pcDir.Path() / "missing").string()}) {
        settings.targetDirectory = target;
        Browse(u"\\Data", {"a.scope_ks"});
        const TransferOutcome outcome = Run(kActionMoveAndConvert);
        EXPECT_EQ(outcome.failures, 1);
        EXPECT_TRUE(api.deleted.empty());
        EXPECT_TRUE(converted.empty());
    }
    EXPECT_EQ(api.files.count(u"\\Data\\a.scope_ks"), 1u);
}

TEST_F(TransferJobTest, CancelBeforeTheFirstFileHandlesNothing) {
    Browse(u"\\Data", {"a.scope_ks", "b.dark_ks"});
    settings.defaultAction = kActionMoveOnly;
    TransferJobEnvironment environment{link,        tree,       list,    log,      clock,
                                       user,        messageBox, fileBar, totalBar, status,
                                       frameStatus, nullptr,    nullptr};
    CTransferJob early(environment, 0, settings);
    early.Cancel();
    const TransferOutcome outcome = early.RunTransferJob();
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_EQ(outcome.handled, 0);
    EXPECT_EQ(LogEntries(), "User alice cancelled file transfer and conversion\r\n");
    EXPECT_EQ(frameStatus.texts, std::vector<std::string>{"Getting Directory Contents"});
    EXPECT_TRUE(api.deleted.empty());
}

TEST_F(TransferJobTest, CancelTakesEffectBetweenFiles) {
    Browse(u"\\Data", {"a.scope_ks", "b.dark_ks", "notes.txt"});
    onDrain = [this] { job->Cancel(); };
    const TransferOutcome outcome = Run(kActionCopyOnly);
    EXPECT_EQ(outcome.handled, 1);
    EXPECT_TRUE(outcome.cancelled);
    const std::string entries = LogEntries();
    const std::string cancelLine = "User alice cancelled file transfer and conversion\r\n";
    ASSERT_GT(entries.size(), cancelLine.size());
    EXPECT_EQ(entries.substr(entries.size() - cancelLine.size()), cancelLine);
    EXPECT_FALSE(std::filesystem::exists(Local("b.dark_ks")));
}

TEST_F(TransferJobTest, CancelDuringTheLastFileStillWritesTheCancelLine) {
    Browse(u"\\Data", {"a.scope_ks", "b.dark_ks"});
    onDrain = [this] {
        if (drains == 2) {
            job->Cancel();
        }
    };
    const TransferOutcome outcome = Run(kActionCopyOnly);
    EXPECT_EQ(outcome.handled, 2);
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_NE(LogEntries().find("cancelled file transfer"), std::string::npos);
}

TEST_F(TransferJobTest, WithLoggingOffNothingIsLogged) {
    log.SetLogEvents(0);
    Browse(u"\\Data", {"a.scope_ks", "run.log_ks"});
    Run(kActionMoveAndConvert);
    EXPECT_EQ(LogEntries(), "");
    EXPECT_EQ(api.deleted, std::vector<std::u16string>{u"\\Data\\a.scope_ks"});
}

TEST_F(TransferJobTest, AnUnknownActionDoesNothingToTheFiles) {
    Browse(u"\\Data", {"a.scope_ks"});
    const TransferOutcome outcome = Run(7);
    EXPECT_TRUE(outcome.started);
    EXPECT_EQ(outcome.failures, 0);
    EXPECT_TRUE(status.texts.empty());
    EXPECT_TRUE(api.opened.empty());
    EXPECT_EQ(LogEntries(), "");
}

TEST_F(TransferJobTest, EndsAtOnceWhenNotConnectedOrNothingIsSelected) {
    Browse(u"\\Data", {"a.scope_ks"});
    EXPECT_FALSE(Run(kActionCopyOnly, 14).started);
    EXPECT_TRUE(api.opened.empty());

    link.FillFileList(u"\\Data", list);  // selection cleared
    EXPECT_FALSE(Run(kActionCopyOnly).started);
    ASSERT_EQ(messageBox.shown.size(), 1u);
    EXPECT_EQ(messageBox.shown[0].text, "No files selected.");
    EXPECT_EQ(messageBox.shown[0].caption, "File Transfer Error");
    EXPECT_TRUE(api.opened.empty());
}

TEST(TransferActions, NamesAndGoChecks) {
    EXPECT_EQ(ActionName(0), "Copy Only");
    EXPECT_EQ(ActionName(4), "Convert Only");
    EXPECT_EQ(ActionName(5), "");
    EXPECT_EQ(ActionFromName("Move and Convert"), 3);
    EXPECT_FALSE(ActionFromName("move and convert").has_value());
    EXPECT_TRUE(IsGoEnabled(0, 1));
    EXPECT_FALSE(IsGoEnabled(0, 0));
    EXPECT_FALSE(IsGoEnabled(14, 3));
    EXPECT_FALSE(IsGoEnabled(-3, 3));

    CMemoryFileList list;
    list.InsertItem("a.scope_ks", 5);
    test::CRecordingMessageBox box;
    EXPECT_FALSE(CheckGo(list, box));
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, "No files selected to convert.");
    EXPECT_EQ(box.shown[0].owner, MessageOwner::Application);
    list.Select(0);
    EXPECT_TRUE(CheckGo(list, box));
}

}  // namespace
}  // namespace kiro
