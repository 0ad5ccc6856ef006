#include "cli/TransferCommand.h"

#include <signal.h>

#include <CLI/CLI.hpp>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <map>

#include "cli/ConvertCommand.h"
#include "cli/DeviceSession.h"
#include "cli/ExistingOption.h"
#include "cli/LogOption.h"
#include "cli/TerminalProgress.h"
#include "conversion/ConvertFile.h"
#include "conversion/OutputNaming.h"
#include "devicelink/MemoryControls.h"
#include "platform/DisplayText.h"
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
    ::signal(SIGINT, SIG_DFL);
}

const std::map<std::string, int>& ActionNames() {
    static const std::map<std::string, int> names = {{"copy", kActionCopyOnly},
                                                     {"copy-convert", kActionCopyAndConvert},
                                                     {"move", kActionMoveOnly},
                                                     {"move-convert", kActionMoveAndConvert},
                                                     {"convert-only", kActionConvertOnly}};
    return names;
}

class CNoText final : public ITextPane {
public:
    void SetText(const std::string&) override {}
};

// The two progress bars of the job, drawn as one line: the file count and the
// current file's bar.
class CJobProgress {
public:
    class CBar final : public IProgressBar {
    public:
        explicit CBar(CJobProgress& owner) : m_owner(owner) {}
        void SetRange(int lower, int upper) override {
            m_lower = lower;
            m_upper = upper;
        }
        void SetPos(int position) override { m_position = position; }
        void Repaint() override { m_owner.Draw(); }
        double Fraction() const {
            return static_cast<double>(m_position - m_lower) / std::max(1, m_upper - m_lower);
        }
        int Position() const { return m_position; }
        int Upper() const { return m_upper; }

    private:
        CJobProgress& m_owner;
        int m_lower = 0;
        int m_upper = 1;
        int m_position = 0;
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

void ReportRecord(const TransferFileRecord& record) {
    const std::string device = EscapeControlCharacters(record.devicePath);
    const std::string local = EscapeControlCharacters(record.localPath);
    if (record.placement == CopyPlacement::Skipped) {
        std::printf("kept %s: %s\n", local.c_str(), kKeptExistingHint);
        return;
    }
    if (!record.copied) {
        std::printf("FAILED to copy %s: %s\n", device.c_str(), DescribeCopyFailure(record).c_str());
        return;
    }
    std::printf("copied %s -> %s\n", device.c_str(), local.c_str());
    if (record.skippedConversion) {
        std::printf("no conversion necessary for %s (filetype %s)\n", device.c_str(),
                    EscapeControlCharacters(record.kindText).c_str());
    }
    if (record.keptExistingPcFile) {
        std::printf("FAILED to keep the copy as %s: a PC file of that name is already there\n",
                    local.c_str());
    }
    if (record.convertResult) {
        const int result = *record.convertResult;
        if (result == kConverted) {
            std::printf("converted %s\n", local.c_str());
        } else {
            std::printf("%s %s: %s\n",
                        IsConversionFailure(result) ? "FAILED to convert" : "not converted",
                        local.c_str(), DescribeConvertResult(result, record.systemError).c_str());
        }
    }
    if (!record.madeDurable) {
        std::printf("FAILED to flush %s to disk, so %s stays on the handheld: %s\n", local.c_str(),
                    device.c_str(), std::strerror(record.systemError));
    }
    if (record.remoteDeleted) {
        std::printf(*record.remoteDeleted ? "deleted %s on the handheld\n"
                                          : "FAILED to delete %s on the handheld\n",
                    device.c_str());
    }
    if (record.localDeleted) {
        std::printf(
            *record.localDeleted ? "deleted the copy %s\n" : "FAILED to delete the copy %s\n",
            local.c_str());
    }
}

// Selects the named files in the list; names the handheld does not have are reported.
int SelectNames(CMemoryFileList& list, const TransferOptions& options,
                const std::u16string& folder) {
    int missing = 0;
    for (const std::string& name : options.names) {
        if (!list.SelectByLabel(name)) {
            std::printf("FAILED: %s is not on the handheld\n",
                        DeviceFolderForDisplay(folder, Utf8ToUtf16(name).value_or(u"")).c_str());
            ++missing;
        }
    }
    return missing;
}

}  // namespace

CLI::App* AddTransferCommand(CLI::App& app, TransferOptions& options) {
    CLI::App* command = app.add_subcommand(
        "transfer", "Copy or move handheld files to the PC, converting them on the way");
    std::vector<std::string> actions;
    for (const auto& [name, code] : ActionNames()) {
        actions.push_back(name);
    }
    command
        ->add_option("--action,-a", options.action,
                     "copy, copy-convert, move, move-convert or convert-only")
        ->required()
        ->check(CLI::IsMember(actions));
    AddFormatOption(*command, options.format);
    command->add_flag("--overwrite", options.overwrite,
                      "Replace converted outputs that already exist (they are kept otherwise)");
    AddExistingOption(*command, options.existing);
    command->add_option("--to", options.targetDirectory, "PC folder to copy into")->required();
    command->add_option("--log", options.logFile, "Record every step in this activity log file");
    command->add_option("FOLDER", options.folder, "Handheld folder, e.g. \"/My Documents\"")
        ->required();
    command->add_option("NAME", options.names, "File names in that folder")->required();
    command->footer(
        "Actions: copy (Copy Only), copy-convert (Copy and Convert), move (Move Only),\n"
        "move-convert (Move and Convert), convert-only (Convert Only: only the converted\n"
        "output is kept). Experiment and log files are copied but never converted. A\n"
        "handheld file is deleted only after its complete copy is on the PC, never when\n"
        "its copy was skipped (--existing). Ctrl-C cancels after the current file.\n"
        "Exit status: 0 when every file was handled as asked, 1 when any copy was\n"
        "skipped or any copy, conversion or deletion failed, 2 for a usage error.\n\n"
        "Examples:\n"
        "  kiroconv-cli transfer -a copy-convert --to ~/spectra \"/My Documents\" lamp.scope_ks\n"
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
    session.Link().FillFileList(folder, list);
    const int missing = SelectNames(list, options, folder);

    CStderrMessageBox messageBox;
    CNoText status;
    CNoText frameStatus;
    CJobProgress progress;
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
    TransferSettings settings{options.targetDirectory, ActionNames().at(options.action),
                              FormatCodeFromName(options.format),
                              ExistingPolicyFromName(options.existing),
                              options.overwrite ? OutputOverwrite::Replace : OutputOverwrite::Keep};
    const ConnectState connected =
        session.Link().IsConnected() ? ConnectState::Connected : ConnectState::NotConnected;
    CTransferJob job(environment, connected, settings);
    running = &job;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    const TransferOutcome outcome = job.RunTransferJob();
    ::signal(SIGINT, SIG_DFL);
    progress.Clear();

    bool keptOutput = false;
    for (const TransferFileRecord& record : job.Records()) {
        keptOutput = keptOutput || record.convertResult == kOverwriteDeclined;
    }
    if (outcome.cancelled) {
        std::printf("cancelled: %d of %d files handled\n", outcome.handled, outcome.selected);
    }
    const std::string summary = TransferSummary(outcome);
    if (!summary.empty()) {
        std::printf("%s\n", summary.c_str());
    }
    const bool logged = ReportLogFailure(log);
    const bool allDone = outcome.started && !outcome.cancelled && outcome.failures == 0 &&
                         outcome.skipped == 0 && missing == 0 && !keptOutput && logged;
    return allDone ? 0 : 1;
}

}  // namespace kiro::cli
