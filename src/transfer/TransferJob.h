#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "conversion/ConvertFile.h"
#include "devicelink/ConnectState.h"
#include "devicelink/DeviceLink.h"
#include "log/ActivityLog.h"
#include "seams/Clock.h"
#include "seams/TextPane.h"
#include "seams/UserName.h"
#include "transfer/TransferActions.h"

namespace kiro {

// The settings a job works with, copied when it starts.
struct TransferSettings {
    std::string targetDirectory;
    // None for a stored code that names no action: the job then does nothing to a file.
    std::optional<TransferAction> action = kActionCopyOnly;
    // None for a stored code that names no format: each conversion then fails.
    std::optional<OutputFormat> format = OutputFormat::Tab;
    // What a copy does to a different PC file of its name.
    ExistingFilePolicy existingFiles = ExistingFilePolicy::Replace;
    // What a conversion does to an output that exists.
    OutputOverwrite outputs = OutputOverwrite::Replace;
};

// The stored settings as a job takes them, each read once here: the DefaultAction and
// OutputFormat codes as what they name, and with the overwrite prompt on, both an
// existing output and a different PC file of a copy's name are asked about.
TransferSettings TransferSettingsFrom(std::string targetDirectory, int defaultAction,
                                      int outputFormat, int overwritePrompt);

// What happened to one selected file.
struct TransferFileRecord {
    std::string name;
    std::u16string deviceName;  // the same name as the handheld knows it
    std::string devicePath;
    std::string localPath;
    std::string copyPath;  // where the copy went: localPath, or a temporary name for Convert Only
    int kindCode = 0;
    std::string kindText;
    CopyStatus copyStatus = CopyStatus::NotConnected;
    bool copied = false;
    CopyPlacement placement = CopyPlacement::New;  // Skipped: the PC's own file was kept
    std::optional<ConversionOutcome> conversion;   // when the conversion ran
    bool skippedConversion = false;                // experiment or log file
    std::optional<bool> remoteDeleted;             // when a deletion on the handheld was tried
    std::optional<bool> localDeleted;              // when the PC copy was to be removed
    std::uint64_t bytes = 0;                       // copied
    std::optional<FileIdentity> committedCopy;     // the copy as placed, for a move's check
    int replacedIntoTrash = 0;        // different PC files of the name put in the trash
    std::string trashProblem;         // why the PC's file was kept and the copy skipped
    std::string remoteKept;           // why a move kept the handheld file after its copy
    bool madeDurable = true;          // false when the copy could not be flushed before a move
    bool keptExistingPcFile = false;  // Convert Only left a PC file of that name alone
    int systemError = 0;              // the system's reason for the last PC-side failure
    bool failed = false;              // any step failed
};

struct TransferOutcome {
    bool started = false;  // false after an early return: not connected, nothing selected
    bool cancelled = false;
    int selected = 0;
    int handled = 0;
    int failures = 0;
    int skipped = 0;              // copies not kept because a different PC file had the name
    bool connectionLost = false;  // the job stopped because the handheld went away
    std::string lossCause;        // why, as the link tells it
    // What the user must read about files not handled as asked: a file the trash would
    // not take, a handheld file a move kept.
    std::vector<std::string> problems;
};

// What a job takes from the program around it: the handheld, what is selected, the
// log and who and when.
struct TransferJobContext {
    CDeviceLink& link;
    const IDeviceTree& tree;
    IFileList& list;
    CActivityLog& log;
    const IClock& clock;
    const IUserName& user;
    ITextPane& frameStatus;  // the main window's status bar
};

// The context, and how the job shows itself and asks: a dialog's controls in the window,
// the terminal on the command line.
struct TransferJobEnvironment {
    TransferJobContext context;
    IMessageBox& messageBox;
    IProgressBar& fileProgress;
    IProgressBar& totalProgress;
    ITextPane& status;  // the job's own status text
    // Dispatches waiting messages, so that Cancel is seen between files.
    std::function<void()> drainMessages;
    // Asks what to do with a different PC file of the copy's name, when the policy is
    // Ask; without it such a file is kept.
    std::function<ExistingFileAnswer(const ExistingFileQuestion&)> askExisting = {};
    // Flushes a PC file to disk before its handheld original is deleted; the system's
    // flush unless a test puts another here.
    std::function<bool(const std::string& path)> syncToDisk = {};
    // Where a replaced PC file goes: the desktop's trash unless a test puts another here.
    TrashFunction trash = {};
};

// Applies the action to every file selected in the list: copies each from the
// handheld into the target directory and, by the action, converts the copy, deletes
// the handheld's file, or keeps only the converted output. A handheld file is
// deleted only after its complete copy is on the PC and flushed to disk, and only while
// both the copy and the handheld file are still what they were when it was copied. A
// different PC file of the same name is replaced (into the trash), kept beside the copy
// or left alone with the copy skipped, as the policy or the user says. Convert Only copies under a
// temporary name, so that it never replaces a PC file. The job stops at once when the handheld is
// lost.
class CTransferJob {
public:
    CTransferJob(TransferJobEnvironment environment, ConnectState connectState,
                 TransferSettings settings);

    // Looked at before each file.
    void Cancel() { m_bCancel = 1; }

    TransferOutcome RunTransferJob();
    const std::vector<TransferFileRecord>& Records() const { return m_records; }

private:
    void HandleFile(int item, const std::string& user);
    bool CopyFile(TransferFileRecord& record, struct TransferFileTexts& texts);
    ExistingFileChoice ResolveExisting(const ExistingFileQuestion& question);
    void ConvertCopy(TransferFileRecord& record);
    void KeepCopyUnderItsName(TransferFileRecord& record);
    bool MakeCopyDurable(TransferFileRecord& record);
    void DeleteRemote(TransferFileRecord& record, const TransferFileTexts& texts,
                      const std::optional<DeviceFileState>& before);
    // Why the handheld file must stay although it was copied; none when it may go.
    std::optional<std::string> ReasonToKeepRemote(const TransferFileRecord& record,
                                                  const std::optional<DeviceFileState>& before);
    void LogReplacedFiles(const TransferFileRecord& record, const TransferFileTexts& texts,
                          const std::string& replacedPath);
    bool NoteLostConnection(TransferFileRecord& record);
    void DeleteLocal(TransferFileRecord& record, const TransferFileTexts& texts);
    void ShowTotal(int done);
    void Finish(TransferOutcome& outcome, const std::string& lastUser);

    TransferJobEnvironment m_env;
    ConnectState m_connectState;
    TransferSettings m_settings;
    ConversionContext m_conversionContext;  // after m_env and m_settings, which it reads
    int m_bCancel = 0;
    bool m_connectionLost = false;
    std::u16string m_deviceFolder;
    int m_selected = 0;
    std::vector<TransferFileRecord> m_records;
    std::vector<std::string> m_problems;
};

// The conversion's outcomes that mean it failed, as opposed to declining a file whose
// kind does not convert or whose output the user chose to keep.
bool IsConversionFailure(const ConversionOutcome& outcome);

// The closing summary of a job that did not handle every file as asked; empty when
// it did.
std::string TransferSummary(const TransferOutcome& outcome);

}  // namespace kiro
