#include "transfer/TransferJob.h"

#include <gtest/gtest.h>

#include "conversion/ConvertFile.h"
#include "devicelink/FakeRemoteApi.h"
#include "devicelink/MemoryControls.h"
#include "platform/Clock.h"
#include "platform/UserName.h"
#include "support/Fakes.h"
#include "support/TempDir.h"
#include "testdata/DeviceFileWriter.h"
#include "transfer/TransferActions.h"

namespace kiro {
namespace {

using test::ReadFileBytes;

std::string SpectrumBytes() {
    const auto bytes = testdata::MakeLampSpectrum().Bytes();
    return std::string(bytes.begin(), bytes.end());
}

const std::string kStamp = " on Saturday, December 05, 2026, 17:54:02\r\n";
const std::string kCancelLine = "User alice cancelled file transfer and conversion\r\n";

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

    TransferOutcome Run(int action, ConnectState connectState = ConnectState::Connected) {
        settings.action = TransferActionFromCode(action);
        const auto drain = [this] {
            ++drains;
            if (onDrain) {
                onDrain();
            }
        };
        job.emplace(TransferJobEnvironment{{link, tree, list, log, clock, user, frameStatus},
                                           messageBox,
                                           fileBar,
                                           totalBar,
                                           status,
                                           drain,
                                           ask,
                                           sync,
                                           trash.Function()},
                    connectState, settings);
        const TransferOutcome outcome = job->RunTransferJob();
        converted.clear();
        for (const TransferFileRecord& record : job->Records()) {
            if (record.conversion) {
                converted.push_back(record.localPath);
            }
        }
        return outcome;
    }

    std::string LogEntries() { return ReadFileBytes(pcDir / "LogFile.log").substr(header); }
    std::string Local(const std::string& name) { return pcDir / name; }
    std::string Copied(const std::string& device, int size, const std::string& name) {
        return "User alice copied file " + device + " (" + std::to_string(size) + " bytes) to " +
               Local(name) + kStamp;
    }

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
    test::CRecordingTextPane status;
    test::CRecordingTextPane frameStatus;
    TransferSettings settings;
    std::optional<CTransferJob> job;
    std::vector<std::string> converted;
    std::function<void()> onDrain;
    std::function<ExistingFileAnswer(const ExistingFileQuestion&)> ask;
    std::function<bool(const std::string&)> sync;
    test::CTempDir trashDir;
    test::CFolderTrash trash{trashDir.Path()};
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
    EXPECT_EQ(ReadFileBytes(Local("notes.txt")), "notes");
    EXPECT_TRUE(converted.empty());
    EXPECT_EQ(LogEntries(), Copied("\\Data\\a.scope_ks", 8254, "a.scope_ks") +
                                Copied("\\Data\\b.dark_ks", 8254, "b.dark_ks") +
                                Copied("\\Data\\notes.txt", 5, "notes.txt"));
    EXPECT_EQ(status.texts.front(),
              "Copying \\Data\\a.scope_ks to " + Local("a.scope_ks") + "\n8254 bytes");
    EXPECT_EQ(api.files.size(), 6u) << "nothing deleted on the handheld";
}

TEST_F(TransferJobTest, RootFilesHaveOneBackslashAndControlCharactersStayInTheirLine) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows file names cannot hold control characters";
#endif
    api.AddFile(u"\\odd\nname\x1B.scope_ks", SpectrumBytes());
    Browse(u"\\", {"root.scope_ks", "odd\nname\x1B.scope_ks"});
    Run(kActionCopyAndConvert);
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
    EXPECT_EQ(LogEntries(),
              Copied("\\Data\\a.scope_ks", 8254, "a.scope_ks") + "User alice converted file " +
                  Local("a.scope_ks") + " to " + Local("a.scope") +
                  " (a Tab-delimited ASCII File)" + kStamp +
                  Copied("\\Data\\run.experiment_ks", 10, "run.experiment_ks") +
                  "No conversion necessary for file \\Data\\run.experiment_ks (filetype "
                  "Kiro-SCAN Experiment)\r\n" +
                  Copied("\\Data\\run.log_ks", 3, "run.log_ks") +
                  "No conversion necessary for file \\Data\\run.log_ks (filetype Kiro-SCAN "
                  "Log)\r\n");
    EXPECT_EQ(status.texts.front().substr(0, 23), "Copying and converting ");
}

TEST_F(TransferJobTest, ConvertOnlyKeepsJustTheOutputAndNeverReplacesAPcFile) {
    // PC files that happen to share the handheld files' names are the user's own.
    test::WriteFileBytes(Local("a.scope_ks"), "precious");
    api.AddFile(u"\\Data\\c.experiment_ks", "new experiment");
    test::WriteFileBytes(Local("c.experiment_ks"), "precious experiment");
    Browse(u"\\Data", {"a.scope_ks", "run.experiment_ks", "c.experiment_ks"});
    const TransferOutcome outcome = Run(kActionConvertOnly);
    EXPECT_EQ(test::ListNames(pcDir.Path()),
              (std::vector<std::string>{"LogFile.log", "a.scope", "a.scope_ks", "c.experiment_ks",
                                        "run.experiment_ks"}));
    EXPECT_EQ(ReadFileBytes(Local("a.scope_ks")), "precious");
    EXPECT_EQ(ReadFileBytes(Local("c.experiment_ks")), "precious experiment");
    EXPECT_EQ(ReadFileBytes(Local("run.experiment_ks")), "experiment");
    EXPECT_EQ(outcome.failures, 1) << "the experiment file could not be kept beside the PC's own";
    EXPECT_TRUE(job->Records()[1].keptExistingPcFile) << job->Records()[1].name;
    EXPECT_NE(LogEntries().find("User alice deleted local file " + Local("a.scope_ks") + kStamp),
              std::string::npos);
    EXPECT_TRUE(api.deleted.empty());
}

TEST_F(TransferJobTest, AFailedCopyIsNeitherConvertedNorDeleted) {
    api.files[u"\\Data\\a.scope_ks"].failReadAfter = 5000;
    test::WriteFileBytes(Local("a.scope_ks"), "an earlier copy");
    Browse(u"\\Data", {"a.scope_ks", "b.dark_ks"});
    const TransferOutcome outcome = Run(kActionMoveAndConvert);
    EXPECT_EQ(outcome.failures, 1);
    EXPECT_EQ(api.deleted, std::vector<std::u16string>{u"\\Data\\b.dark_ks"});
    EXPECT_EQ(converted, std::vector<std::string>{Local("b.dark_ks")});
    EXPECT_EQ(ReadFileBytes(Local("a.scope_ks")), "an earlier copy");
    EXPECT_EQ(
        LogEntries().rfind("**FAILURE** " + Copied("\\Data\\a.scope_ks", 8254, "a.scope_ks"), 0),
        0u);
}

// Two measurements of one name: whatever the policy, each still exists somewhere.
TEST_F(TransferJobTest, AMoveOntoADifferentPcFileLosesNeitherMeasurement) {
    const std::string spectrum = SpectrumBytes();
    for (const auto policy : {ExistingFilePolicy::Skip, ExistingFilePolicy::KeepBoth,
                              ExistingFilePolicy::Replace, ExistingFilePolicy::Ask}) {
        SCOPED_TRACE(static_cast<int>(policy));
        api.AddFile(u"\\Data\\a.scope_ks", spectrum);
        api.deleted.clear();
        test::WriteFileBytes(Local("a.scope_ks"), "earlier measurement");
        std::filesystem::remove(Local("a (2).scope_ks"));
        settings.existingFiles = policy;
        Browse(u"\\Data", {"a.scope_ks"});
        const std::size_t logged = LogEntries().size();
        const TransferOutcome outcome = Run(kActionMoveOnly);
        const std::string entries = LogEntries().substr(logged);
        EXPECT_EQ(outcome.failures, 0);
        if (policy == ExistingFilePolicy::Replace) {
            EXPECT_EQ(ReadFileBytes(Local("a.scope_ks")), spectrum);
            EXPECT_EQ(ReadFileBytes(trash.Item(0)), "earlier measurement");
            EXPECT_EQ(api.deleted.size(), 1u);
            EXPECT_EQ(entries.rfind(Copied("\\Data\\a.scope_ks", 8254, "a.scope_ks") +
                                        "User alice put the replaced file " + Local("a.scope_ks") +
                                        " in the trash" + kStamp,
                                    0),
                      0u)
                << entries;
            continue;
        }
        EXPECT_EQ(ReadFileBytes(Local("a.scope_ks")), "earlier measurement");
        if (policy == ExistingFilePolicy::KeepBoth) {
            EXPECT_EQ(ReadFileBytes(Local("a (2).scope_ks")), spectrum);
            EXPECT_EQ(entries.rfind(Copied("\\Data\\a.scope_ks", 8254, "a (2).scope_ks"), 0), 0u);
            EXPECT_EQ(api.deleted.size(), 1u);
        } else {  // skipped, also with nobody to ask
            EXPECT_EQ(outcome.skipped, 1);
            EXPECT_TRUE(api.deleted.empty());
            EXPECT_EQ(entries, "User alice skipped file \\Data\\a.scope_ks (8254 bytes): " +
                                   Local("a.scope_ks") + " already holds a different file" +
                                   kStamp);
        }
    }
    // The same bytes already there: the move is done, and nobody is asked.
    api.AddFile(u"\\Data\\a.scope_ks", spectrum);
    test::WriteFileBytes(Local("a.scope_ks"), spectrum);
    ask = [](const ExistingFileQuestion&) -> ExistingFileAnswer {
        ADD_FAILURE() << "asked about identical bytes";
        return {};
    };
    Browse(u"\\Data", {"a.scope_ks"});
    Run(kActionMoveOnly);
    EXPECT_EQ(job->Records()[0].placement, CopyPlacement::Identical);
    EXPECT_EQ(api.deleted.back(), u"\\Data\\a.scope_ks");
}

TEST_F(TransferJobTest, AnAnswerForTheRestOfTheJobIsAskedOnce) {
    for (const char* name : {"a.scope_ks", "b.dark_ks", "notes.txt"}) {
        test::WriteFileBytes(Local(name), "the PC's own");
    }
    std::vector<ExistingFileQuestion> questions;
    ask = [&](const ExistingFileQuestion& question) {
        questions.push_back(question);
        return questions.size() == 1 ? ExistingFileAnswer{ExistingFileChoice::Skip, false}
                                     : ExistingFileAnswer{ExistingFileChoice::KeepBoth, true};
    };
    settings.existingFiles = ExistingFilePolicy::Ask;
    Browse(u"\\Data", {"a.scope_ks", "b.dark_ks", "notes.txt"});
    const TransferOutcome outcome = Run(kActionCopyAndConvert);
    ASSERT_EQ(questions.size(), 2u);
    EXPECT_EQ(questions[0].path, Local("a.scope_ks"));
    EXPECT_EQ(questions[0].existingSize, 12u);
    EXPECT_EQ(questions[0].newSize, 8254u);
    EXPECT_EQ(questions[0].newDate, list.GetItemText(list.GetNextSelectedItem(-1), 3));
    EXPECT_EQ(outcome.skipped, 1);
    EXPECT_EQ(ReadFileBytes(Local("notes (2).txt")), "notes");
    EXPECT_EQ(converted,
              (std::vector<std::string>{Local("b (2).dark_ks"), Local("notes (2).txt")}));
    EXPECT_TRUE(std::filesystem::exists(Local("b (2).dark")));
}

// Replace asked for, but the trash will not take the PC's file: it is skipped as Skip
// skips it, and the reason is what the job's closing text says.
TEST_F(TransferJobTest, AFileTheTrashWillNotTakeIsKeptAndTheCopySkipped) {
    test::WriteFileBytes(Local("a.scope_ks"), "earlier measurement");
    trash.refusal = "Unable to find or create trash directory";
    settings.existingFiles = ExistingFilePolicy::Replace;
    Browse(u"\\Data", {"a.scope_ks"});
    const TransferOutcome outcome = Run(kActionMoveOnly);
    EXPECT_EQ(ReadFileBytes(Local("a.scope_ks")), "earlier measurement");
    EXPECT_EQ(test::ListNames(pcDir.Path()),
              (std::vector<std::string>{"LogFile.log", "a.scope_ks"}))
        << "the finished copy is not left beside it";
    EXPECT_TRUE(api.deleted.empty());
    EXPECT_EQ(outcome.skipped, 1);
    EXPECT_EQ(outcome.failures, 1);
    EXPECT_EQ(LogEntries(), "User alice skipped file \\Data\\a.scope_ks (8254 bytes): " +
                                Local("a.scope_ks") + " already holds a different file" + kStamp);
    EXPECT_NE(status.texts.back().find(Local("a.scope_ks") +
                                       " was not replaced: it could not be put in the trash "
                                       "(Unable to find or create trash directory)."),
              std::string::npos)
        << status.texts.back();
}

// Just before a move deletes the handheld file, its PC copy must still be the file it
// placed and the handheld file the one it read; otherwise the handheld keeps it.
TEST_F(TransferJobTest, AMoveKeepsTheHandheldFileWhenItOrItsCopyChanged) {
    const struct {
        const char* what;
        std::function<void(const std::string& copy)> change;
        const char* reason;
    } cases[] = {
        {"copy replaced", [](const std::string& copy) { test::WriteFileBytes(copy, "other"); },
         "its PC copy is gone"},
        {"copy removed", [](const std::string& copy) { std::filesystem::remove(copy); },
         "its PC copy is gone"},
        {"handheld file rewritten",
         [this](const std::string&) { api.files[u"\\Data\\a.scope_ks"].lastWrite.dwLowDateTime++; },
         "it changed after it was copied"},
        {"handheld file removed",
         [this](const std::string&) { api.files.erase(u"\\Data\\a.scope_ks"); },
         "it changed after it was copied"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        api.AddFile(u"\\Data\\a.scope_ks", SpectrumBytes());
        std::filesystem::remove(Local("a.scope_ks"));
        api.deleted.clear();
        sync = [&c](const std::string& path) {
            c.change(path);
            return true;
        };
        Browse(u"\\Data", {"a.scope_ks"});
        const std::size_t logged = LogEntries().size();
        const TransferOutcome outcome = Run(kActionMoveOnly);
        EXPECT_TRUE(api.deleted.empty());
        EXPECT_EQ(outcome.failures, 1);
        EXPECT_EQ(LogEntries().substr(logged),
                  Copied("\\Data\\a.scope_ks", 8254, "a.scope_ks") +
                      "**FAILURE** User alice deleted remote file \\Data\\a.scope_ks" + kStamp +
                      "Remote file \\Data\\a.scope_ks was kept: " + c.reason + "\r\n");
        EXPECT_EQ(job->Records()[0].remoteKept, c.reason);
    }
}

// The handheld's file goes only once its copy is on the disk for good.
TEST_F(TransferJobTest, AFailedFlushKeepsTheHandheldFile) {
    sync = [this](const std::string& path) {
        EXPECT_TRUE(api.deleted.empty()) << "deleted before " << path << " was flushed";
        return false;
    };
    Browse(u"\\Data", {"a.scope_ks"});
    const TransferOutcome outcome = Run(kActionMoveOnly);
    EXPECT_TRUE(api.deleted.empty());
    EXPECT_FALSE(job->Records()[0].madeDurable);
    EXPECT_EQ(outcome.failures, 1);
    TransferOutcome three = outcome;
    three.handled = 3;
    EXPECT_EQ(TransferSummary(three),
              "The transfer finished with failures: 1 of 3 files was not handled as asked.");
}

TEST_F(TransferJobTest, AMissingOrEmptyTargetDirectoryLosesNothing) {
    for (const std::string& target : {std::string(), (pcDir.Path() / "missing").string()}) {
        settings.targetDirectory = target;
        Browse(u"\\Data", {"a.scope_ks"});
        EXPECT_EQ(Run(kActionMoveAndConvert).failures, 1);
    }
    EXPECT_TRUE(api.deleted.empty());
    EXPECT_TRUE(converted.empty());
}

TEST_F(TransferJobTest, CancelIsSeenBetweenFilesAndDuringTheLast) {
    for (const int cancelAt : {1, 2}) {
        Browse(u"\\Data", {"a.scope_ks", "b.dark_ks"});
        drains = 0;
        onDrain = [this, cancelAt] {
            if (drains == cancelAt) {
                job->Cancel();
            }
        };
        const TransferOutcome outcome = Run(kActionCopyOnly);
        EXPECT_EQ(outcome.handled, cancelAt);
        EXPECT_TRUE(outcome.cancelled);
        EXPECT_TRUE(LogEntries().ends_with(kCancelLine)) << LogEntries();
        EXPECT_EQ(std::filesystem::exists(Local("b.dark_ks")), cancelAt == 2);
    }
}

TEST_F(TransferJobTest, WithLoggingOffNothingIsLoggedAndLogFilesAreNotMoved) {
    log.SetLogEvents(0);
    Browse(u"\\Data", {"a.scope_ks", "run.log_ks"});
    Run(kActionMoveAndConvert);
    EXPECT_EQ(LogEntries(), "");
    EXPECT_EQ(api.deleted, std::vector<std::u16string>{u"\\Data\\a.scope_ks"});
}

// Not connected, nothing selected, or an action it does not know: nothing is touched.
TEST_F(TransferJobTest, EndsAtOnceWhenThereIsNothingToDo) {
    Browse(u"\\Data", {"a.scope_ks"});
    EXPECT_FALSE(Run(kActionCopyOnly, ConnectState::NotConnected).started);
    const TransferOutcome unknown = Run(7);
    EXPECT_TRUE(unknown.started);
    EXPECT_EQ(unknown.failures, 0);
    link.FillFileList(u"\\Data", list);  // selection cleared
    EXPECT_FALSE(Run(kActionCopyOnly).started);
    ASSERT_EQ(messageBox.shown.size(), 1u);
    EXPECT_EQ(messageBox.shown[0].text, "No files selected.");
    EXPECT_TRUE(api.opened.empty());
    EXPECT_EQ(LogEntries(), "");
}

}  // namespace
}  // namespace kiro
