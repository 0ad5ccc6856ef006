#include "cli/TransferCommand.h"

#include <CLI/CLI.hpp>
#include <atomic>
#include <cstdio>
#include <cstring>

#include "cli/ChoiceOption.h"
#include "cli/ConvertCommand.h"
#include "cli/DeviceSession.h"
#include "cli/ExistingOption.h"
#include "cli/HandheldNames.h"
#include "cli/LogOption.h"
#include "cli/TerminalProgress.h"
#include "cli/TerminalText.h"
#include "conversion/ConvertFile.h"
#include "devicelink/MemoryControls.h"
#include "devicelink/ProgressRange.h"
#include "platform/Terminal.h"
#include "platform/Utf16.h"
#include "transfer/TransferActions.h"
#include "transfer/TransferJob.h"
#include "transfer/TransferReport.h"

namespace kiro::cli {
namespace {

std::atomic<bool> g_interrupted{false};

void OnInterrupt(int) {
    g_interrupted = true;
    // A second Ctrl-C ends the program at once.
    RestoreInterrupt();
}

class CNoText final : public ITextPane {
public:
    void SetText(const std::string&) override {}
};

// The two progress bars of the job, drawn as one line: the file count and the
// current file's bar.
class CJobProgress {
public:
    class CBar final : public CProgressRange {
    public:
        explicit CBar(CJobProgress& owner) : m_owner(owner) {}
        void Repaint() override { m_owner.Draw(); }

    private:
        CJobProgress& m_owner;
    };

    void Draw() {
        m_display.ShowBar("file " + std::to_string(total.Position() + 1) + " of " +
                              std::to_string(total.Upper()) + " " + m_current,
                          file.Fraction());
    }
    void SetCurrent(std::string name) { m_current = std::move(name); }
    void Clear() { m_display.Clear(); }

    CBar file{*this};
    CBar total{*this};

private:
    CTerminalProgress m_display;
    std::string m_current;
};

// One file's steps, a line each.
void ReportRecord(const TransferFileRecord& record) {
    const std::string& device = record.devicePath;
    const std::string& local = record.localPath;
    if (record.placement == CopyPlacement::Skipped) {
        if (record.trashProblem.empty()) {
            PrintLine(stdout, "kept %s: %s\n", local, kKeptExistingHint);
        }
        ReportReplacedFiles(local, record.replacedIntoTrash, record.trashProblem);
        return;
    }
    if (!record.copied) {
        PrintLine(stdout, "FAILED to copy %s: %s\n", device, DescribeCopyFailure(record));
        return;
    }
    PrintLine(stdout, "copied %s -> %s\n", device, local);
    ReportReplacedFiles(local, record.replacedIntoTrash, "");
    if (record.skippedConversion) {
        PrintLine(stdout, "no conversion necessary for %s (filetype %s)\n", device,
                  record.kindText);
    }
    if (record.keptExistingPcFile) {
        PrintLine(stdout,
                  "FAILED to keep the copy as %s: a PC file of that name is already there\n",
                  local);
    }
    if (const std::optional<ConversionOutcome>& conversion = record.conversion) {
        if (conversion->Converted()) {
            PrintLine(stdout, "converted %s\n", local);
        } else {
            PrintLine(stdout, "%s %s: %s\n",
                      IsConversionFailure(*conversion) ? "FAILED to convert" : "not converted",
                      local, DescribeConversion(*conversion));
        }
    }
    if (!record.madeDurable) {
        PrintLine(stdout, "FAILED to flush %s to disk, so %s stays on the handheld: %s\n", local,
                  device, std::strerror(record.systemError));
    }
    if (!record.remoteKept.empty()) {
        PrintLine(stdout, "kept %s on the handheld: %s\n", device, record.remoteKept);
    } else if (record.remoteDeleted) {
        PrintLine(stdout,
                  *record.remoteDeleted ? "deleted %s on the handheld\n"
                                        : "FAILED to delete %s on the handheld\n",
                  device);
    }
    // Convert Only deletes its temporary copy; a PC file of the final name is untouched.
    if (record.localDeleted) {
        if (*record.localDeleted) {
            PrintLine(stdout, "deleted the temporary copy of %s\n", local);
        } else {
            PrintLine(stdout, "FAILED to delete the temporary copy %s of %s: %s\n", record.copyPath,
                      local, std::strerror(record.systemError));
        }
    }
}

// Selects the named files in the list, and the files that the patterns match; names the
// handheld does not have and patterns that match nothing are reported.
int SelectNames(CMemoryFileList& list, const TransferOptions& options,
                const std::u16string& folder) {
    const HandheldNames selected = ExpandHandheldNames(options.names, list);
    for (const std::string& pattern : selected.unmatched) {
        PrintLine(stdout, "FAILED: %s: %s\n",
                  DeviceFolderForDisplay(folder, Utf8ToUtf16(pattern).value_or(u"")),
                  NoMatchReason(folder));
    }
    int missing = static_cast<int>(selected.unmatched.size());
    for (const std::string& name : selected.names) {
        if (!list.SelectByLabel(name)) {
            PrintLine(stdout, "FAILED: %s is not on the handheld\n",
                      DeviceFolderForDisplay(folder, Utf8ToUtf16(name).value_or(u"")));
            ++missing;
        }
    }
    return missing;
}

}  // namespace

CLI::App* AddTransferCommand(CLI::App& app, TransferOptions& options) {
    CLI::App* command = app.add_subcommand(
        "transfer", "Copy or move handheld files to the PC, converting them on the way");
    std::vector<std::string_view> actions;
    for (const TransferActionRow& row : TransferActions()) {
        actions.push_back(row.commandLineName);
    }
    AddChoiceOption(*command, "--action,-a", options.action, actions, SpokenChoices(actions))
        ->required();
    AddFormatOption(*command, options.format);
    command->add_flag("--overwrite", options.overwrite,
                      "Replace converted outputs that already exist (they are kept otherwise)");
    AddExistingOption(*command, options.existing);
    command->add_option("--to", options.targetDirectory, "PC folder to copy into")->required();
    command->add_option("--log", options.logFile, "Record every step in this activity log file");
    command->add_option("FOLDER", options.folder, "Handheld folder, e.g. \"/My Documents\"")
        ->required();
    command
        ->add_option("NAME", options.names,
                     "File names in that folder, or quoted patterns: * any run of characters, "
                     "? one character, letter case ignored")
        ->required();
    command->footer(
        "Actions: copy (Copy Only), copy-convert (Copy and Convert), move (Move Only),\n"
        "move-convert (Move and Convert), convert-only (Convert Only: only the converted\n"
        "output is kept). Experiment and log files are copied but never converted. A\n"
        "handheld file is deleted only after its complete copy is on the PC, never when\n"
        "its copy was skipped (--existing), and only while the copy and the handheld file\n"
        "are still what they were when it was copied. A PC file that --existing replace\n"
        "replaces goes to the trash; one the trash will not take is kept and the copy\n"
        "skipped. Ctrl-C cancels after the current file.\n"
        "Exit status: 0 when every file was handled as asked; 1 when the handheld could\n"
        "not be reached or was lost, the folder or a name is not on the handheld, a\n"
        "pattern matches no file, a copy was skipped for want of --existing or of a trash,\n"
        "an output was kept for want of --overwrite, a copy, conversion or deletion\n"
        "failed, a handheld file was kept because it or its copy changed, the job was\n"
        "cancelled, or the log could not be written; 2 for a usage error.\n\n"
        "Examples:\n"
        "  kiroconv-cli transfer -a copy-convert --to ~/spectra \"/My Documents\" lamp.scope_ks\n"
        "  kiroconv-cli transfer -a copy-convert --to ~/spectra \"/My Documents\" '*'\n"
        "  kiroconv-cli transfer -a move-convert -f spc --log LogFile.log --to . /Data a.dark_ks");
    return command;
}

int RunTransfer(const TransferOptions& options) {
    CommandLineLogging logging;
    if (!logging.Open(options.logFile)) {
        return 1;
    }
    CActivityLog& log = logging.log;
    CDeviceSession session;
    if (!session.Connect()) {
        return 1;
    }
    const std::u16string folder = DeviceFolderFromArgument(options.folder);
    CMemoryTree tree;
    SelectDeviceFolder(tree, folder);
    CMemoryFileList list;
    const FolderListing listing = session.Link().ListFolder(folder, list);
    if (ReportLostConnection(session.Link())) {
        return 1;
    }
    if (!listing.Listed()) {
        ReportMissingFolder(folder);
        return 1;
    }
    const int missing = SelectNames(list, options, folder);
    if (list.GetSelectedCount() == 0) {
        return 1;  // each name was reported missing; there is nothing to run
    }

    CStderrMessageBox messageBox;
    CNoText status;
    CNoText frameStatus;
    CJobProgress progress;
    const OutputFormat outputFormat = FormatFromName(options.format);
    std::size_t reported = 0;
    CTransferJob* running = nullptr;
    TransferJobEnvironment environment{
        {session.Link(), tree, list, log, logging.clock, logging.user, frameStatus},
        messageBox,
        progress.file,
        progress.total,
        status,
        [&] {
            progress.Clear();
            for (; reported < running->Records().size(); ++reported) {
                ReportRecord(running->Records()[reported]);
            }
            std::fflush(stdout);
            if (g_interrupted) {
                running->Cancel();
            }
        }};
    TransferSettings settings{options.targetDirectory, ActionFromCommandLineName(options.action),
                              outputFormat, ExistingPolicyFromName(options.existing),
                              options.overwrite ? OutputOverwrite::Replace : OutputOverwrite::Keep};
    const ConnectState connected =
        session.Link().IsConnected() ? ConnectState::Connected : ConnectState::NotConnected;
    CTransferJob job(environment, connected, settings);
    running = &job;
    CatchInterrupt(OnInterrupt);
    const TransferOutcome outcome = job.RunTransferJob();
    RestoreInterrupt();
    progress.Clear();

    bool keptOutput = false;
    for (const TransferFileRecord& record : job.Records()) {
        keptOutput = keptOutput || (record.conversion && record.conversion->status ==
                                                             ConversionStatus::OverwriteDeclined);
    }
    if (outcome.cancelled) {
        PrintLine(stdout, "cancelled: %d of %d files handled\n", outcome.handled, outcome.selected);
    }
    const std::string summary = TransferSummary(outcome);
    if (!summary.empty()) {
        PrintLine(stdout, "%s\n", summary);
    }
    const bool logged = ReportLogFailure(log);
    const bool allDone = outcome.started && !outcome.cancelled && outcome.failures == 0 &&
                         outcome.skipped == 0 && missing == 0 && !keptOutput && logged;
    return allDone ? 0 : 1;
}

}  // namespace kiro::cli
