#include "cli/DeviceCommands.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <vector>

#include "cli/DeviceSession.h"
#include "cli/ExistingOption.h"
#include "cli/HandheldNames.h"
#include "cli/TerminalProgress.h"
#include "cli/TerminalText.h"
#include "devicelink/ConnectionTexts.h"
#include "devicelink/MemoryControls.h"
#include "devicelink/PathJoining.h"
#include "devicelink/ProgressRange.h"
#include "platform/Utf16.h"
#include "transfer/TransferReport.h"

namespace kiro::cli {
namespace {

// The link's progress bar, drawn as a text bar on a terminal.
class CTextProgressBar final : public CProgressRange {
public:
    CTextProgressBar(CTerminalProgress& display, std::string label)
        : m_display(display), m_label(std::move(label)) {}
    // Redrawn only when the percentage shown changes: a copy repaints once per chunk.
    void Repaint() override {
        const int percent = static_cast<int>(Fraction() * 100.0 + 0.5);
        if (percent != m_shownPercent) {
            m_shownPercent = percent;
            m_display.ShowBar(m_label, Fraction());
        }
    }

private:
    CTerminalProgress& m_display;
    std::string m_label;
    int m_shownPercent = -1;
};

void PrintTree(const CMemoryTree& tree, TreeItem item, int depth) {
    PrintLine(stdout, "%s%s\n", std::string(2 * static_cast<std::size_t>(depth), ' '),
              tree.NodeAt(item).label);
    for (const TreeItem child : tree.Children(item)) {
        PrintTree(tree, child, depth + 1);
    }
}

void PrintLongListing(const CMemoryFileList& list) {
    // Columns are aligned on the texts as shown, escapes included.
    std::vector<std::array<std::string, 4>> rows;
    std::size_t widths[3] = {0, 0, 0};
    for (int item = 0; item < list.GetItemCount(); ++item) {
        const auto& row = list.RowAt(item);
        auto& shown = rows.emplace_back();
        for (std::size_t column = 0; column < shown.size(); ++column) {
            shown[column] = EscapeControlCharacters(row.columns[column]);
        }
        for (std::size_t column = 0; column < 3; ++column) {
            widths[column] = std::max(widths[column], shown[column].size());
        }
    }
    for (const auto& shown : rows) {
        PrintLine(stdout, "%-*s  %-*s  %*s  %s\n", static_cast<int>(widths[0]), shown[0],
                  static_cast<int>(widths[1]), shown[1], static_cast<int>(widths[2]), shown[2],
                  shown[3]);
    }
}

CLI::App* AddFolderCommand(CLI::App& app, const char* name, const char* description,
                           DeviceOptions& options) {
    CLI::App* command = app.add_subcommand(name, description);
    command
        ->add_option("FOLDER", options.folder,
                     "Handheld folder, e.g. \"/My Documents\" or \"\\My Documents\"")
        ->required();
    command
        ->add_option("NAME", options.names,
                     "File names in that folder, or quoted patterns: * any run of characters, "
                     "? one character, letter case ignored")
        ->required();
    return command;
}

}  // namespace

DeviceCommands AddDeviceCommands(CLI::App& app, DeviceOptions& options) {
    DeviceCommands commands;
    commands.ls = app.add_subcommand("ls", "List the files of a handheld folder");
    commands.ls->add_option("FOLDER", options.folder, "Handheld folder (default: the root)");
    commands.ls->add_flag("--long,-l", options.longListing,
                          "Show the kind, size and date of each file");
    commands.ls->footer("Examples:\n  kiroconv-cli ls\n  kiroconv-cli ls -l \"/My Documents\"");

    commands.tree = app.add_subcommand("tree", "Show the handheld's folder tree");
    commands.tree->add_option("FOLDER", options.folder,
                              "Show only the folders below this one (default: the root)");

    commands.get = AddFolderCommand(app, "get", "Copy handheld files to a PC folder", options);
    commands.get->add_option("--to", options.targetDirectory, "PC folder to copy into")->required();
    AddExistingOption(*commands.get, options.existing);
    commands.get->footer(
        "A pattern that matches no file of the folder counts as a failure.\n"
        "Exit status: 0 when every file was copied (or was already there); 1 when the\n"
        "handheld could not be reached or was lost, a name or a pattern found no file, a\n"
        "copy failed or was skipped for want of --existing; 2 for a usage error.\n\n"
        "Examples:\n"
        "  kiroconv-cli get \"/My Documents\" lamp.scope_ks dark.dark_ks --to ~/spectra\n"
        "  kiroconv-cli get \"/My Documents\" '*.scope_ks' --to ~/spectra");

    commands.rm = AddFolderCommand(app, "rm", "Delete files on the handheld", options);
    commands.rm->footer(
        "Each file a pattern matches is deleted and reported; folders are never deleted.\n"
        "Exit status: 0 when every file was deleted; 1 when the handheld could not be\n"
        "reached or was lost, a name or a pattern found no file, or the handheld refused;\n"
        "2 for a usage error.\n\n"
        "Examples:\n"
        "  kiroconv-cli rm \"/My Documents\" noise.scope_ks\n"
        "  kiroconv-cli rm \"/My Documents\" 'leaf-??.sample_ks'");

    commands.mkdir = app.add_subcommand("mkdir", "Create a folder on the handheld");
    commands.mkdir
        ->add_option("PATH", options.folder, "The new folder, e.g. \"/My Documents/Run 7\"")
        ->required();
    return commands;
}

int RunList(const DeviceOptions& options) {
    CDeviceSession session;
    if (!session.Connect()) {
        return 1;
    }
    const std::u16string folder = DeviceFolderFromArgument(options.folder);
    CMemoryFileList list;
    const FolderListing listing = session.Link().ListFolder(folder, list);
    if (ReportLostConnection(session.Link())) {
        return 1;
    }
    if (!listing.Listed()) {
        ReportMissingFolder(folder);
        return 1;
    }
    if (options.longListing) {
        PrintLongListing(list);
    } else {
        for (int item = 0; item < list.GetItemCount(); ++item) {
            PrintLine(stdout, "%s\n", list.RowAt(item).columns[0]);
        }
    }
    if (list.GetItemCount() == 0) {
        PrintLine(stderr, "kiroconv-cli: no files in %s\n", Utf16ToUtf8Lossy(folder));
    }
    return 0;
}

int RunTree(const DeviceOptions& options) {
    CDeviceSession session;
    if (!session.Connect()) {
        return 1;
    }
    const std::u16string folder = DeviceFolderFromArgument(options.folder);
    const bool wholeTree = folder == u"\\";
    CMemoryTree tree;
    const std::string label = wholeTree ? kRootItemLabel : Utf16ToUtf8Lossy(folder);
    const TreeItem root = tree.InsertItem(label, kKindConnectedDevice, kKindConnectedDevice, 0);
    // A folder that cannot be searched at all is not there; only the failures below it
    // keep the link's own message.
    session.MessageBox().Hold();
    const FolderListing listing = session.Link().ReadFolderTree(wholeTree ? folder : folder + u"\\",
                                                                kTreeFindFlags, tree, root);
    if (ReportLostConnection(session.Link())) {
        return 1;
    }
    if (!listing.Listed()) {
        session.MessageBox().DropHeld();
        ReportMissingFolder(folder);
        return 1;
    }
    session.MessageBox().ShowHeld();
    tree.SortChildren(0);
    tree.SortChildren(root);
    PrintTree(tree, root, 0);
    return 0;
}

int RunGet(const DeviceOptions& options) {
    CDeviceSession session;
    if (!session.Connect()) {
        return 1;
    }
    const std::u16string folder = DeviceFolderFromArgument(options.folder);
    const std::optional<HandheldNames> selected = HandheldNamesIn(session, folder, options.names);
    if (!selected) {
        return 1;
    }
    CTerminalProgress display;
    const ExistingFileChoice policy = ChoiceOf(ExistingPolicyFromName(options.existing));
    bool allCopied = selected->unmatched.empty();
    for (const std::string& pattern : selected->unmatched) {
        PrintLine(stdout, "not copied %s: %s\n",
                  DeviceFolderForDisplay(folder, Utf8ToUtf16(pattern).value_or(u"")),
                  NoMatchReason(folder));
    }
    std::optional<bool> folderThere;
    for (const std::string& name : selected->names) {
        const std::u16string wideName = Utf8ToUtf16(name).value_or(u"");
        const std::string shown = DeviceFolderForDisplay(folder, wideName);
        const std::string pcPath = JoinPcPath(options.targetDirectory, name);
        CTextProgressBar bar(display, shown);
        const PcCopy copy = session.Link().CopyFileToPc(
            folder, wideName, options.targetDirectory, name, kTransferChunkBytes, &bar,
            [&](const ExistingFileQuestion&) { return policy; });
        display.Clear();
        ReportReplacedFiles(pcPath, copy.replacedIntoTrash, copy.trashProblem);
        if (copy.Copied()) {
            PrintLine(stdout, "copied %s -> %s (%llu bytes%s)\n", shown, copy.pcPath,
                      static_cast<unsigned long long>(copy.bytes),
                      copy.placement == CopyPlacement::Identical ? ", already there" : "");
            continue;
        }
        if (copy.status == CopyStatus::KeptExistingFile) {
            if (copy.trashProblem.empty()) {
                PrintLine(stdout, "kept %s: %s\n", pcPath, kKeptExistingHint);
            }
            allCopied = false;
            continue;
        }
        // A handheld file that cannot be opened may lack its whole folder.
        if (copy.status == CopyStatus::DeviceFileCannotBeOpened && !folderThere) {
            folderThere = FolderIsOnHandheld(session.Link(), folder);
        }
        const std::string reason =
            copy.status == CopyStatus::DeviceFileCannotBeOpened && !*folderThere
                ? "the folder " + Utf16ToUtf8Lossy(folder) + " is not on the handheld"
                : DescribeCopyStatus(copy.status, copy.systemError, pcPath);
        PrintLine(stdout, "not copied %s: %s\n", shown, reason);
        allCopied = false;
        if (ReportLostConnection(session.Link())) {
            break;  // the other files cannot come either
        }
    }
    return allCopied ? 0 : 1;
}

int RunRemove(const DeviceOptions& options) {
    CDeviceSession session;
    if (!session.Connect()) {
        return 1;
    }
    const std::u16string folder = DeviceFolderFromArgument(options.folder);
    const std::optional<HandheldNames> selected = HandheldNamesIn(session, folder, options.names);
    if (!selected) {
        return 1;
    }
    bool allDeleted = selected->unmatched.empty();
    for (const std::string& pattern : selected->unmatched) {
        PrintLine(stdout, "not deleted %s: %s\n",
                  DeviceFolderForDisplay(folder, Utf8ToUtf16(pattern).value_or(u"")),
                  NoMatchReason(folder));
    }
    for (const std::string& name : selected->names) {
        const std::u16string wideName = Utf8ToUtf16(name).value_or(u"");
        const std::string shown = DeviceFolderForDisplay(folder, wideName);
        if (IsSafeFileName(wideName) &&
            session.Link().DeleteOnHandheld(folder, wideName) == RemoteChange::Done) {
            PrintLine(stdout, "deleted %s\n", shown);
            continue;
        }
        allDeleted = false;
        if (ReportLostConnection(session.Link())) {
            PrintLine(stdout, "not deleted %s: %s\n", shown, kConnectionLostText);
            break;
        }
        PrintLine(stdout, "not deleted %s: the handheld refused or has no such file\n", shown);
    }
    return allDeleted ? 0 : 1;
}

int RunMakeDirectory(const DeviceOptions& options) {
    CDeviceSession session;
    if (!session.Connect()) {
        return 1;
    }
    const std::u16string path = DeviceFolderFromArgument(options.folder);
    const std::string shown = Utf16ToUtf8Lossy(path);
    if (path == u"\\" || session.Link().CreateFolderOnHandheld(path) != RemoteChange::Done) {
        if (!ReportLostConnection(session.Link())) {
            PrintLine(stdout, "Directory creation failed: %s\n", shown);
        }
        return 1;
    }
    PrintLine(stdout, "created %s\n", shown);
    return 0;
}

}  // namespace kiro::cli
