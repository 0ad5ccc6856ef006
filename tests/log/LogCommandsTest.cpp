#include "log/LogCommands.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "platform/Clock.h"
#include "support/Fakes.h"
#include "support/TempDir.h"

namespace kiro {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

std::string Header(const std::string& created) {
    return "Corvane Tech Kiro-SCAN File Conversion Utility Log File\r\nLog created " + created +
           "\r\n======================================================\r\n";
}
const std::string kHeaderAt905 = Header("3/7/2026 at 09:05:00");

class CScriptedNewLogFileDialog final : public INewLogFileDialog {
public:
    std::optional<std::string> AskNewLogName(const std::string& currentName,
                                             IFileDialogs&) override {
        shownWith.push_back(currentName);
        return answer;
    }
    std::optional<std::string> answer;
    std::vector<std::string> shownWith;
};

class CRecordingViewer final : public IViewerLauncher {
public:
    bool OpenTextFile(const std::string& path) override {
        opened.push_back(path);
        return starts;
    }
    bool starts = true;
    std::vector<std::string> opened;
};

// Runs a test from inside a folder, as the program runs from wherever it was started.
class CCurrentFolder {
public:
    explicit CCurrentFolder(const std::filesystem::path& folder)
        : m_previous(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~CCurrentFolder() { std::filesystem::current_path(m_previous); }

private:
    std::filesystem::path m_previous;
};

class LogCommandsTest : public ::testing::Test {
protected:
    LogCommandsTest() { log.SetLogFileName(path); }

    std::string LastMessage() const {
        return messageBox.shown.empty() ? "" : messageBox.shown.back().text;
    }

    test::CTempDir dir;
    std::string path = dir / "LogFile.log";
    CFixedClock clock{MakeLocalTime(2026, 3, 7, 9, 5, 0)};
    CActivityLog log{clock};
    test::CRecordingMessageBox messageBox;
    test::CRecordingFileDialogs fileDialogs;
    CRecordingViewer viewer;
    CScriptedNewLogFileDialog newLogFileDialog;
    CLogCommands commands{log, messageBox, fileDialogs, viewer, newLogFileDialog};
};

TEST_F(LogCommandsTest, SetLogFilenameStartsAFreshFileOnlyForADifferentName) {
    log.SetLogEvents(1);
    commands.OpenLogAtStartup();
    log.WriteLogEntry("kept\n");
    for (const std::optional<std::string>& answer : {std::optional<std::string>(), {path}}) {
        newLogFileDialog.answer = answer;  // Cancel, then OK with the name unchanged
        commands.OnSetLogFilename();
    }
    EXPECT_EQ(newLogFileDialog.shownWith, std::vector<std::string>(2, path));
    EXPECT_EQ(ReadFileBytes(path), kHeaderAt905 + "kept\r\n");

    // A link to the log is the same log: it is kept, not started afresh.
#ifndef _WIN32
    std::filesystem::create_symlink(path, dir / "link.log");
    newLogFileDialog.answer = dir / "link.log";
    commands.OnSetLogFilename();
    EXPECT_EQ(ReadFileBytes(path), kHeaderAt905 + "kept\r\n");
#endif

    // Another letter case is another name on Linux, where an existing file of that name is
    // replaced; on Windows it names the same file, which is kept.
    const std::string other = dir / "logfile.log";
#ifdef _WIN32
    newLogFileDialog.answer = other;
    commands.OnSetLogFilename();
    log.WriteLogEntry("next\n");
    EXPECT_EQ(ReadFileBytes(path), kHeaderAt905 + "kept\r\nnext\r\n");
    EXPECT_TRUE(messageBox.shown.empty());
    return;
#endif
    WriteFileBytes(other, "an older log\r\n");
    newLogFileDialog.answer = other;
    commands.OnSetLogFilename();
    log.WriteLogEntry("next\n");
    EXPECT_EQ(ReadFileBytes(path), kHeaderAt905 + "kept\r\n");
    EXPECT_EQ(ReadFileBytes(other), kHeaderAt905 + "next\r\n");
    EXPECT_TRUE(messageBox.shown.empty());
}

TEST_F(LogCommandsTest, ALogThatCannotBeCreatedIsReportedWithItsFullPathAndStaysOff) {
    const CCurrentFolder inTemp(dir.Path());
    log.SetLogFileName("missing/LogFile.log");
    log.SetLogEvents(1);
    commands.OpenLogAtStartup();
    ASSERT_EQ(messageBox.shown.size(), 1u);
    EXPECT_EQ(LastMessage(), "Cannot open the log file " +
                                 (dir.Path() / "missing" / "LogFile.log").string() +
                                 ": No such file or directory.\nNothing is logged until a "
                                 "log file is set again from the Log menu.");
    // Lines dropped while no log is open are not reported again.
    log.WriteLogEntry("dropped\n");
    commands.ReportLogFailureOnce();
    EXPECT_EQ(messageBox.shown.size(), 1u);

    std::filesystem::create_directory(dir / "folder.log");
    newLogFileDialog.answer = "folder.log";
    commands.OnSetLogFilename();
    EXPECT_EQ(messageBox.shown.size(), 2u);
    EXPECT_NE(LastMessage().find(dir / "folder.log"), std::string::npos);
    EXPECT_FALSE(log.IsOpen());

    newLogFileDialog.answer = "LogFile.log";  // relative to the current folder
    commands.OnSetLogFilename();
    EXPECT_EQ(ReadFileBytes(path), kHeaderAt905);
    EXPECT_EQ(messageBox.shown.size(), 2u);
}

// Windows has no FIFOs, and symbolic links there need a privilege that tests lack.
#ifndef _WIN32
// What a path names, links not followed: the type bits, and a link's target.
std::string Kind(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        return "absent";
    }
    std::string kind = std::to_string(info.st_mode & S_IFMT);
    return S_ISLNK(info.st_mode) ? kind + " -> " + std::filesystem::read_symlink(path).string()
                                 : kind;
}

TEST_F(LogCommandsTest, APathThatNamesNoRegularFileIsRefusedAndLeftAsItWas) {
    const std::string fifo = dir / "fifo.log", dangling = dir / "dangling.log",
                      socket = dir / "socket.log";
    ASSERT_TRUE(test::MakeFifo(fifo));
    std::filesystem::create_symlink(dir / "nowhere.log", dangling);
    ASSERT_TRUE(test::MakeStaleSocket(dir / "h.sock"));
    std::filesystem::create_symlink("h.sock", socket);
    log.SetLogEvents(1);
    for (const std::string& name : {fifo, dangling, socket}) {
        const std::string before = Kind(name);
        log.SetLogFileName(name);
        name == dangling ? commands.OnClearLog() : commands.OpenLogAtStartup();
        EXPECT_EQ(LastMessage(), "Cannot open the log file " + name +
                                     ": not a regular file.\nNothing is logged until a log "
                                     "file is set again from the Log menu.");
        EXPECT_FALSE(log.IsOpen()) << name;
        EXPECT_EQ(Kind(name), before);
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "nowhere.log"));
    EXPECT_EQ(test::ListNames(dir.Path()),
              (std::vector<std::string>{"dangling.log", "fifo.log", "h.sock", "socket.log"}));
}

// The link stays; the file it names is continued, and replaced by a new log.
TEST_F(LogCommandsTest, ALinkToARegularFileIsWrittenThroughAndKept) {
    std::filesystem::create_directory(dir / "logs");
    const std::string target = dir / "logs/real.log";
    WriteFileBytes(target, "");
    std::filesystem::create_symlink("logs/real.log", path);
    log.SetLogEvents(1);
    commands.OpenLogAtStartup();  // an empty log is started afresh
    log.WriteLogEntry("one\n");
    commands.OpenLogAtStartup();
    log.WriteLogEntry("two\n");
    EXPECT_EQ(ReadFileBytes(target), kHeaderAt905 + "one\r\ntwo\r\n");

    clock.Set(MakeLocalTime(2026, 3, 8, 7, 0, 0));
    commands.OnClearLog();
    log.WriteLogEntry("after clearing\n");
    EXPECT_EQ(Kind(path), std::to_string(S_IFLNK) + " -> logs/real.log");
    EXPECT_EQ(ReadFileBytes(target), Header("3/8/2026 at 07:00:00") + "after clearing\r\n");
    EXPECT_EQ(test::ListNames(dir / "logs"), std::vector<std::string>{"real.log"});
    EXPECT_EQ(messageBox.shown.size(), 1u) << LastMessage();  // only Clear's question
}

// In a sticky folder that everyone may write, another user's link may have been planted to
// lead the log onto a file of ours: it is not followed, directly or from a link of our own,
// whether or not the system protects such links. The folder owner's link is followed.
TEST_F(LogCommandsTest, ALinkThatAnotherUserPlantedInASharedFolderIsNotFollowed) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to give a link to another user";
    }
    const std::filesystem::path shared = dir / "shared";
    std::filesystem::create_directory(shared);
    ::chmod(shared.c_str(), 01777);
    const std::string victim = dir / "victim.txt";
    WriteFileBytes(victim, "precious");
    const std::string planted = shared / "LogFile.log";
    std::filesystem::create_symlink(victim, planted);
    ASSERT_EQ(::lchown(planted.c_str(), 65534, 65534), 0);
    std::filesystem::create_symlink(planted, dir / "mine.log");
    log.SetLogEvents(1);
    for (const std::string& name : {planted, dir / "mine.log"}) {
        log.SetLogFileName(name);
        messageBox.answers = {MessageAnswer::Yes};
        commands.OnClearLog();
        commands.OpenLogAtStartup();
        EXPECT_EQ(LastMessage(), "Cannot open the log file " + name +
                                     ": a symbolic link of another user in a folder that "
                                     "everyone may write.\nNothing is logged until a log file "
                                     "is set again from the Log menu.");
        EXPECT_FALSE(log.IsOpen()) << name;
    }
    EXPECT_EQ(ReadFileBytes(victim), "precious");
    ASSERT_EQ(::lchown(planted.c_str(), 0, 0), 0);
    commands.OpenLogAtStartup();
    EXPECT_TRUE(log.IsOpen());
    log.WriteLogEntry("through the folder owner's link\n");
    EXPECT_EQ(ReadFileBytes(victim),
              "precious"
              "through the folder owner's link\r\n");
}

#endif

TEST_F(LogCommandsTest, ALineLostToAFullDiskIsReportedOnceAndLoggingStopsUntilCleared) {
    KIRO_SKIP_WITHOUT_FILE_SIZE_LIMIT();
    log.SetLogEvents(1);
    commands.OpenLogAtStartup();
    log.WriteLogEntry("first\n");
    const std::string before = ReadFileBytes(path);
    {
        test::CFileSizeLimit diskFull(before.size() + 4);
        log.WriteLogEntry("a line that does not fit\n");
    }
    commands.ReportLogFailureOnce();
    commands.ReportLogFailureOnce();
    ASSERT_EQ(messageBox.shown.size(), 1u);
    EXPECT_EQ(LastMessage(), "Could not write to the log file " + path +
                                 ": No space left on device.\nNothing more is logged until a "
                                 "log file is set again from the Log menu.");
    // The disk has room again, but the log stays off rather than leave a gap unseen.
    log.WriteLogEntry("not logged\n");
    EXPECT_EQ(ReadFileBytes(path), before);

    messageBox.answers = {MessageAnswer::No, MessageAnswer::Yes};
    commands.OnClearLog();
    EXPECT_EQ(ReadFileBytes(path), before);
    clock.Set(MakeLocalTime(2026, 3, 8, 7, 0, 0));
    commands.OnClearLog();
    EXPECT_EQ(LastMessage(), "Are you sure you wish to clear the log " + path + "?");
    log.WriteLogEntry("after clearing\n");
    EXPECT_EQ(ReadFileBytes(path), Header("3/8/2026 at 07:00:00") + "after clearing\r\n");
}

// Any value but 1 is off. Switched on, the log that start-up left closed is continued.
TEST_F(LogCommandsTest, OnlyAnEnabledOpenLogIsWrittenAndSwitchingOnOpensIt) {
    for (int value : {0, 2, -1}) {
        log.SetLogEvents(value);
        commands.OpenLogAtStartup();
        log.WriteLogEntry("not while off\n");
        EXPECT_FALSE(std::filesystem::exists(path)) << value;
    }
    WriteFileBytes(path, "earlier\r\n");
    for (const char* line : {"on\n", "off\n", "on again\n"}) {
        commands.OnLogEnabled();
        log.WriteLogEntry(line);
    }
    EXPECT_EQ(log.LogEvents(), 1);
    log.CloseLog();
    log.WriteLogEntry("not while closed\n");
    log.FlushLog();
    EXPECT_EQ(ReadFileBytes(path), "earlier\r\non\r\non again\r\n");
    EXPECT_TRUE(messageBox.shown.empty());
}

TEST_F(LogCommandsTest, ViewersGetThePathAsStoredAndFailuresNameTheFullPath) {
    const CCurrentFolder inTemp(dir.Path());
    log.SetLogFileName("LogFile.log");
    commands.OnViewCurrentLog();  // no log file yet: nothing to show
    EXPECT_EQ(LastMessage(), "The log file " + path + " does not exist.");
    commands.OnClearLog();
    commands.OnViewCurrentLog();
    viewer.starts = false;
    commands.OnViewCurrentLog();
    EXPECT_EQ(LastMessage(), "Could not start a viewer for the log file " + path + ".");
    EXPECT_EQ(viewer.opened, std::vector<std::string>(2, "LogFile.log"));

    viewer.starts = true;
    fileDialogs.openAnswers = {{}, {path}};
    commands.OnViewStoredLog();  // cancelled
    commands.OnViewStoredLog();
    EXPECT_EQ(viewer.opened.back(), path);
    EXPECT_EQ(viewer.opened.size(), 3u);
}

}  // namespace
}  // namespace kiro
