#include "transfer/TransferJob.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "conversion/ConvertFile.h"
#include "devicelink/ConnectionTexts.h"
#include "devicelink/PathJoining.h"
#include "platform/AtomicFile.h"
#include "platform/FileCalls.h"
#include "platform/TimeText.h"
#include "platform/UserName.h"
#include "platform/Utf16.h"
#include "seams/WindowTexts.h"
#include "transfer/TransferActions.h"
#include "transfer/TransferTexts.h"

namespace kiro {
namespace {

constexpr int kMaxProgressRange = 65535;
// The list's texts are read as into the original fixed buffers.
constexpr std::size_t kMaxNameChars = 259;
constexpr std::size_t kMaxSizeTextChars = 49;
constexpr const char* kRemoteKeptCopyGone = "its PC copy is gone";
constexpr const char* kRemoteKeptChanged = "it changed after it was copied";

std::string Bounded(std::string text, std::size_t maxChars) {
    return TruncateUtf8(text, maxChars);
}

std::string FilesText(int count) {
    return std::to_string(count) + (count == 1 ? " file" : " files");
}

}  // namespace

std::string TransferSummary(const TransferOutcome& outcome) {
    if (outcome.connectionLost) {
        const int notStarted = outcome.selected - outcome.handled;
        return ConnectionLostText(outcome.lossCause) + " " + FilesText(outcome.failures) + " of " +
               std::to_string(outcome.handled) + " handled failed; " + FilesText(notStarted) +
               " of " + std::to_string(outcome.selected) + " selected " +
               (notStarted == 1 ? "was" : "were") + " not handled.";
    }
    if (outcome.failures > 0) {
        std::string summary =
            "The transfer finished with failures: " + std::to_string(outcome.failures) + " of " +
            FilesText(outcome.handled) + (outcome.failures == 1 ? " was" : " were") +
            " not handled as asked.";
        for (const std::string& problem : outcome.problems) {
            summary += "\n" + problem;
        }
        return summary;
    }
    return "";
}

TransferSettings TransferSettingsFrom(std::string targetDirectory, int defaultAction,
                                      int outputFormat, int overwritePrompt) {
    const bool asks = overwritePrompt == 1;
    return {std::move(targetDirectory), TransferActionFromCode(defaultAction),
            OutputFormatFromCode(outputFormat),
            asks ? ExistingFilePolicy::Ask : ExistingFilePolicy::Replace,
            OutputOverwriteFromSetting(overwritePrompt)};
}

bool IsConversionFailure(const ConversionOutcome& outcome) {
    return outcome.status != ConversionStatus::Converted &&
           outcome.status != ConversionStatus::KindNotConvertible &&
           outcome.status != ConversionStatus::OverwriteDeclined;
}

CTransferJob::CTransferJob(TransferJobEnvironment environment, ConnectState connectState,
                           TransferSettings settings)
    : m_env(std::move(environment)),
      m_connectState(connectState),
      m_settings(std::move(settings)),
      m_conversionContext(m_settings.outputs, m_env.messageBox, m_env.context.log,
                          m_env.context.clock, m_env.context.user) {}

TransferOutcome CTransferJob::RunTransferJob() {
    TransferOutcome outcome;
    if (m_connectState != ConnectState::Connected) {
        return outcome;
    }
    m_deviceFolder =
        m_env.context.link.SelectedFolder(m_env.context.tree).value_or(DeviceFolder{}).wide;
    m_selected = m_env.context.list.GetSelectedCount();
    if (m_selected == 0) {
        m_env.messageBox.Show({"No files selected.", "File Transfer Error", MessageButtons::Ok,
                               MessageAnswer::Ok, MessageOwner::MainWindow});
        return outcome;
    }
    outcome.started = true;
    outcome.selected = m_selected;
    m_env.totalProgress.SetRange(0, std::min(m_selected, kMaxProgressRange));
    std::string lastUser;
    int item = m_env.context.list.GetNextSelectedItem(-1);
    while (item != -1 && m_bCancel == 0 && !m_connectionLost) {
        lastUser = LoggedUserName(m_env.context.user);
        ShowTotal(outcome.handled);
        const int next = m_env.context.list.GetNextSelectedItem(item);
        HandleFile(item, lastUser);
        ++outcome.handled;
        m_env.fileProgress.Repaint();
        m_env.totalProgress.Repaint();
        if (m_env.drainMessages) {
            m_env.drainMessages();
        }
        item = next;
    }
    Finish(outcome, lastUser);
    return outcome;
}

void CTransferJob::ShowTotal(int done) {
    const int position =
        m_selected > kMaxProgressRange
            ? static_cast<int>(static_cast<long long>(done) * kMaxProgressRange / m_selected)
            : done;
    m_env.totalProgress.SetPos(position);
}

void CTransferJob::HandleFile(int item, const std::string& user) {
    TransferFileRecord record;
    record.name = Bounded(m_env.context.list.GetItemText(item, 0), kMaxNameChars);
    record.deviceName = Utf8ToUtf16(record.name).value_or(u"");
    const DeviceFileKind kind = GetFileKind(record.deviceName);
    record.kindCode = kind.code;
    record.kindText = kind.text;
    record.devicePath = Utf16ToUtf8Lossy(JoinDevicePath(m_deviceFolder, record.deviceName));
    record.localPath = JoinPcPath(m_settings.targetDirectory, record.name);
    record.copyPath = record.localPath;

    TransferFileTexts texts;
    texts.user = user;
    texts.timeStamp = FormatTimeStamp(m_env.context.clock.LocalNow());
    texts.devicePath = record.devicePath;
    texts.localPath = record.localPath;
    texts.sizeText = Bounded(m_env.context.list.GetItemText(item, 2), kMaxSizeTextChars);
    texts.kindText = kind.text;
    texts.dateText = m_env.context.list.GetItemText(item, 3);

    if (!m_settings.action) {
        m_records.push_back(record);
        return;  // an unknown action does nothing to the file
    }
    const TransferAction action = *m_settings.action;
    m_env.status.SetText(CopyStatusText(action, texts));
    // What the handheld file is before the copy, so that a move deletes only that file.
    std::optional<DeviceFileState> before;
    if (IsMoveAction(action)) {
        before = m_env.context.link.LookUpDeviceFile(m_deviceFolder, record.deviceName);
    }
    if (CopyFile(record, texts)) {
        const bool convertible = !IsNeverConverted(kind.code);
        if (ConvertsFiles(action) && !convertible) {
            record.skippedConversion = true;
            m_env.context.log.WriteLogEntry(NoConversionLine(texts));
            if (action == kActionConvertOnly) {
                KeepCopyUnderItsName(record);
            }
        } else {
            if (ConvertsFiles(action)) {
                ConvertCopy(record);
            }
            if (IsMoveAction(action) && MakeCopyDurable(record)) {
                DeleteRemote(record, texts, before);
            } else if (action == kActionConvertOnly) {
                DeleteLocal(record, texts);
            }
        }
    }
    m_records.push_back(record);
}

bool CTransferJob::NoteLostConnection(TransferFileRecord& record) {
    if (!m_env.context.link.ConnectionLost()) {
        return false;
    }
    m_connectionLost = true;
    record.failed = true;
    return true;
}

bool CTransferJob::CopyFile(TransferFileRecord& record, TransferFileTexts& texts) {
    // Convert Only keeps nothing but the output, so its copy must never take the place
    // of a PC file that happens to have the handheld file's name.
    std::string pcName = record.name;
    if (m_settings.action == kActionConvertOnly) {
        record.copyPath = Utf8FromPath(TemporaryPathFor(PathFromUtf8(record.localPath)));
        pcName = Utf8FromPath(PathFromUtf8(record.copyPath).filename());
    }
    const PcCopy copy = m_env.context.link.CopyFileToPc(
        m_deviceFolder, record.deviceName, m_settings.targetDirectory, pcName, kTransferChunkBytes,
        &m_env.fileProgress,
        [this, &texts](ExistingFileQuestion question) {
            question.newDate = texts.dateText;
            return ResolveExisting(question);
        },
        m_env.trash ? m_env.trash : TrashFunction(MoveToTrash));
    record.copyStatus = copy.status;
    record.placement = copy.placement;
    record.systemError = copy.systemError;
    record.bytes = copy.bytes;
    record.committedCopy = copy.committed;
    record.replacedIntoTrash = copy.replacedIntoTrash;
    record.trashProblem = copy.trashProblem;
    const std::string replacedPath = record.localPath;
    // Only a copy of the whole file counts, and none once the handheld is lost.
    const bool lost = NoteLostConnection(record);
    if (record.placement == CopyPlacement::Skipped && !lost) {
        m_env.context.log.WriteLogEntry(SkippedLine(texts));
        LogReplacedFiles(record, texts, replacedPath);
        // Replace was asked for and could not be done safely: the user must hear why.
        if (!record.trashProblem.empty()) {
            record.failed = true;
            m_problems.push_back(replacedPath +
                                 " was not replaced: it could not be put in the trash (" +
                                 record.trashProblem + ").");
        }
        return false;  // the handheld's file is all there is of it: nothing more is done
    }
    record.copied = copy.Copied() && !lost;
    record.failed = !record.copied;
    if (record.copied && record.placement == CopyPlacement::KeptBoth) {
        record.localPath = record.copyPath = copy.pcPath;
        texts.localPath = copy.pcPath;
    }
    m_env.context.log.WriteLogEntry(CopiedLine(texts, record.copied));
    LogReplacedFiles(record, texts, replacedPath);
    return record.copied;
}

void CTransferJob::LogReplacedFiles(const TransferFileRecord& record,
                                    const TransferFileTexts& texts,
                                    const std::string& replacedPath) {
    for (int i = 0; i < record.replacedIntoTrash; ++i) {
        m_env.context.log.WriteLogEntry(TrashedLine(texts, replacedPath));
    }
}

ExistingFileChoice CTransferJob::ResolveExisting(const ExistingFileQuestion& question) {
    if (m_settings.existingFiles != ExistingFilePolicy::Ask) {
        return ChoiceOf(m_settings.existingFiles);
    }
    if (!m_env.askExisting) {
        return ExistingFileChoice::Skip;
    }
    const ExistingFileAnswer answer = m_env.askExisting(question);
    if (answer.forRestOfJob) {
        m_settings.existingFiles = PolicyOf(answer.choice);
    }
    return answer.choice;
}

void CTransferJob::ConvertCopy(TransferFileRecord& record) {
    record.conversion = ConvertSpectrumFileAs(record.copyPath, record.localPath, m_settings.format,
                                              m_conversionContext);
    record.failed = record.failed || IsConversionFailure(*record.conversion);
}

void CTransferJob::KeepCopyUnderItsName(TransferFileRecord& record) {
    if (RenameWithoutReplacing(PathFromUtf8(record.copyPath), PathFromUtf8(record.localPath))) {
        record.copyPath = record.localPath;
        return;
    }
    // The handheld still has the file, so leaving the PC's own file alone loses nothing.
    record.systemError = errno;
    record.keptExistingPcFile = errno == EEXIST;
    record.failed = true;
    RemoveFile(PathFromUtf8(record.copyPath));
}

bool CTransferJob::MakeCopyDurable(TransferFileRecord& record) {
    // A power cut right after the deletion must not take the only copy with it.
    record.madeDurable = m_env.syncToDisk ? m_env.syncToDisk(record.copyPath)
                                          : SyncFileToDisk(PathFromUtf8(record.copyPath));
    if (!record.madeDurable) {
        record.systemError = errno;
        record.failed = true;
    }
    return record.madeDurable;
}

std::optional<std::string> CTransferJob::ReasonToKeepRemote(
    const TransferFileRecord& record, const std::optional<DeviceFileState>& before) {
    // Another program, or a second job, may have replaced or removed the copy meanwhile:
    // then the handheld's file may be the only one left.
    if (!record.committedCopy ||
        IdentityOf(PathFromUtf8(record.copyPath)) != record.committedCopy) {
        return std::string(kRemoteKeptCopyGone);
    }
    // A handheld file written since it was read is not the file that was copied; one
    // that the PC folder itself serves changes as the copy takes its name.
    const auto after = m_env.context.link.LookUpDeviceFile(m_deviceFolder, record.deviceName);
    if (!before || !after || *after != *before ||
        before->size != static_cast<rapi::DWORD>(record.bytes)) {
        return std::string(kRemoteKeptChanged);
    }
    return std::nullopt;
}

void CTransferJob::DeleteRemote(TransferFileRecord& record, const TransferFileTexts& texts,
                                const std::optional<DeviceFileState>& before) {
    if (NoteLostConnection(record)) {
        return;  // nothing is deleted on a handheld we no longer hear from
    }
    const std::optional<std::string> keep = ReasonToKeepRemote(record, before);
    if (NoteLostConnection(record)) {
        return;
    }
    if (keep) {
        record.remoteDeleted = false;
        record.remoteKept = *keep;
        record.failed = true;
        m_problems.push_back(record.devicePath + " was kept on the handheld: " + *keep + ".");
        m_env.context.log.WriteLogEntry(RemoteDeleteLine(texts, false));
        m_env.context.log.WriteLogEntry(KeptRemoteLine(texts, *keep));
        return;
    }
    m_env.status.SetText(DeletingRemoteStatusText(texts));
    record.remoteDeleted = m_env.context.link.DeleteOnHandheld(m_deviceFolder, record.deviceName) ==
                           RemoteChange::Done;
    NoteLostConnection(record);
    record.failed = record.failed || !*record.remoteDeleted;
    m_env.context.log.WriteLogEntry(RemoteDeleteLine(texts, *record.remoteDeleted));
}

void CTransferJob::DeleteLocal(TransferFileRecord& record, const TransferFileTexts& texts) {
    record.localDeleted = RemoveFile(PathFromUtf8(record.copyPath));
    if (!*record.localDeleted) {
        record.systemError = errno;
    }
    record.failed = record.failed || !*record.localDeleted;
    m_env.context.log.WriteLogEntry(LocalDeleteLine(texts, *record.localDeleted));
}

void CTransferJob::Finish(TransferOutcome& outcome, const std::string& lastUser) {
    if (m_bCancel == 1) {
        outcome.cancelled = true;
        m_env.context.log.WriteLogEntry(
            CancelledLine(lastUser.empty() ? LoggedUserName(m_env.context.user) : lastUser));
    }
    outcome.connectionLost = m_connectionLost;
    outcome.lossCause = m_env.context.link.LossCause();
    if (m_settings.action && IsMoveAction(*m_settings.action) && !m_connectionLost) {
        m_env.context.frameStatus.SetText(kGettingDirectoryContents);
        if (const auto folder = m_env.context.link.SelectedFolder(m_env.context.tree)) {
            m_env.context.link.ListFolder(folder->wide, m_env.context.list);
        }
    }
    m_env.context.log.FlushLog();
    outcome.failures = static_cast<int>(std::count_if(
        m_records.begin(), m_records.end(), [](const TransferFileRecord& r) { return r.failed; }));
    outcome.problems = m_problems;
    outcome.skipped = static_cast<int>(std::count_if(
        m_records.begin(), m_records.end(),
        [](const TransferFileRecord& r) { return r.placement == CopyPlacement::Skipped; }));
    const std::string summary = TransferSummary(outcome);
    if (!summary.empty()) {
        m_env.status.SetText(summary);
    }
}

}  // namespace kiro
