#include "cli/ConvertCommand.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "cli/ChoiceOption.h"
#include "cli/DeviceSession.h"
#include "cli/LogOption.h"
#include "cli/TerminalProgress.h"
#include "cli/TerminalText.h"
#include "conversion/ConversionPipeline.h"
#include "conversion/ConvertFile.h"
#include "conversion/OutputNaming.h"
#include "platform/FileCalls.h"
#include "platform/SystemError.h"

namespace kiro::cli {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kProgressThreshold = 20;

struct SourceList {
    std::vector<std::string> files;
    std::size_t otherKinds = 0;  // files found in directories whose kind does not convert
    bool allFound = true;
};

// A directory stands for its files of a kind that converts, in name order; no recursion.
// Files of other kinds (earlier outputs among them) are left alone and only counted. A
// FIFO or device under a spectrum kind's name is listed, so that its refusal is reported
// rather than passed over.
SourceList ExpandPaths(const std::vector<std::string>& paths, OutputFormat format) {
    SourceList list;
    for (const std::string& path : paths) {
        std::error_code error;
        if (!fs::is_directory(path, error)) {
            list.files.push_back(path);
            continue;
        }
        std::vector<std::string> inFolder;
        for (const auto& entry : fs::directory_iterator(path, error)) {
            std::error_code entryError;
            if (entry.is_directory(entryError)) {
                continue;
            }
            std::string file = Utf8FromPath(entry.path());
            if (OutputPathFor(file, format)) {
                inFolder.push_back(std::move(file));
            } else {
                ++list.otherKinds;
            }
        }
        if (error) {
            PrintLine(stdout, "%s: cannot read the directory\n", path);
            list.allFound = false;
        } else if (inFolder.empty()) {
            PrintLine(stdout, "%s: the directory holds no device spectrum files\n", path);
            list.allFound = false;
        }
        std::sort(inFolder.begin(), inFolder.end());
        list.files.insert(list.files.end(), inFolder.begin(), inFolder.end());
    }
    return list;
}

// An output folder that is not there is an error before any work, as a mistyped name
// would otherwise scatter nothing but failures.
bool OutputFolderUsable(const std::string& folder) {
    std::error_code error;
    if (folder.empty() || fs::is_directory(PathFromUtf8(folder), error)) {
        return true;
    }
    const bool exists = fs::exists(PathFromUtf8(folder), error);
    PrintLine(stderr, "kiroconv-cli: the output folder %s %s\n", folder,
              exists ? "is not a directory" : "does not exist");
    return false;
}

// The outputs kept for want of --overwrite, said once for the whole batch.
class CKeptOutputs {
public:
    void Add(const std::string& output) {
        if (++m_count == 1) {
            m_first = output;
        }
    }
    bool Any() const { return m_count > 0; }
    void Report() const {
        if (m_count == 1) {
            PrintLine(stdout, "kept the existing output %s (use --overwrite to replace it)\n",
                      m_first);
        } else if (m_count > 1) {
            PrintLine(stdout, "kept %zu existing outputs (use --overwrite to replace them)\n",
                      m_count);
        }
    }

private:
    std::size_t m_count = 0;
    std::string m_first;
};

void ReportOtherKinds(std::size_t count) {
    if (count == 1) {
        PrintLine(stdout, "1 file of another kind was left alone\n");
    } else if (count > 1) {
        PrintLine(stdout, "%zu files of other kinds were left alone\n", count);
    }
}

void ReportResult(const std::string& sourcePath, const ConversionOutcome& outcome) {
    if (outcome.Converted()) {
        PrintLine(stdout, "converted %s -> %s\n", sourcePath, outcome.outputPath);
    } else {
        PrintLine(stdout, "not converted %s: %s\n", sourcePath, DescribeConversion(outcome));
    }
}

}  // namespace

std::string DescribeConversion(const ConversionOutcome& outcome) {
    if (outcome.status == ConversionStatus::OverwriteDeclined) {
        return "output exists: " + outcome.outputPath + " (use --overwrite to replace it)";
    }
    if (outcome.status == ConversionStatus::OutputCannotBeCreated) {
        const std::string reason =
            !outcome.formatRefusal.empty()
                ? std::string(outcome.formatRefusal)
                : DescribeSystemError(outcome.systemError != 0 ? outcome.systemError : EIO);
        return "cannot create the output file " + outcome.outputPath + ": " + reason;
    }
    return DescribeConversionOutcome(outcome);
}

OutputFormat FormatFromName(const std::string& name) {
    return OutputFormatFromName(name).value();
}

void AddFormatOption(CLI::App& command, std::string& format) {
    std::vector<std::string_view> names;
    for (const OutputFormatRow& row : OutputFormats()) {
        names.push_back(row.commandLineName);
    }
    AddChoiceOption(command, "--format,-f", format, names,
                    "Output format: " + SpokenChoices(names) +
                        " (default: " + std::string(names.front()) + ")");
}

CLI::App* AddConvertCommand(CLI::App& app, ConvertOptions& options) {
    CLI::App* command = app.add_subcommand(
        "convert", "Convert device spectrum files on this PC into a desktop format");
    AddFormatOption(*command, options.format);
    command->add_flag("--overwrite", options.overwrite,
                      "Replace outputs that already exist (they are kept otherwise)");
    command->add_option(
        "--to", options.outputFolder,
        "Write the outputs into this existing folder (default: beside each source)");
    command->add_option("--log", options.logFile,
                        "Record each conversion in this activity log file");
    command
        ->add_option("PATH", options.paths,
                     "Device spectrum files, or directories whose spectrum files are converted")
        ->required();
    command->footer(
        "Each output is named after its source and kind, e.g. run1.scope_ks ->\n"
        "run1.scope (tab, comma), run1.Master.scope (kirobench), run1.scope.spc (spc),\n"
        "run1.scope.jdx (jcamp: JCAMP-DX), and written beside its source or into the\n"
        "--to folder. In a directory, files of other kinds (earlier outputs among them)\n"
        "are left alone and counted in one line. An existing output is kept unless\n"
        "--overwrite is given; the kept ones are counted in one line.\n"
        "Exit status: 0 when every spectrum file converted; 1 when any did not, a file\n"
        "named on the command line is of a kind that does not convert, an output was\n"
        "kept for want of --overwrite, a directory holds no spectrum files, the --to\n"
        "folder does not exist or the log could not be written; 2 for a usage error.\n\n"
        "Examples:\n"
        "  kiroconv-cli convert run1.scope_ks\n"
        "  kiroconv-cli convert --format spc --overwrite ~/spectra\n"
        "  kiroconv-cli convert -f jcamp --to ~/converted ~/spectra\n"
        "  kiroconv-cli convert -f kirobench --log LogFile.log a.dark_ks b.reference_ks");
    return command;
}

int RunConvert(const ConvertOptions& options) {
    if (!OutputFolderUsable(options.outputFolder)) {
        return 1;
    }
    CommandLineLogging logging;
    if (!logging.Open(options.logFile)) {
        return 1;
    }
    CActivityLog& log = logging.log;
    CStderrMessageBox messageBox;
    ConversionContext context(options.overwrite ? OutputOverwrite::Replace : OutputOverwrite::Keep,
                              messageBox, log, logging.clock, logging.user);
    context.outputFolder = options.outputFolder;
    const OutputFormat format = FormatFromName(options.format);
    const SourceList sources = ExpandPaths(options.paths, format);

    CTerminalProgress progress;
    if (sources.files.size() < kProgressThreshold) {
        progress.Disable();
    }
    bool allConverted = sources.allFound;
    CKeptOutputs kept;
    CConversionPipeline batch(sources.files, format, context);
    for (std::size_t k = 0; k < batch.Size(); ++k) {
        const std::string& source = batch.Source(k);
        progress.Show(k + 1, batch.Size(), source);
        const ConversionOutcome outcome = batch.ConvertNext();
        progress.Clear();
        allConverted = allConverted && outcome.Converted();
        if (outcome.status == ConversionStatus::OverwriteDeclined) {
            kept.Add(outcome.outputPath);
        } else {
            ReportResult(source, outcome);
        }
    }
    ReportOtherKinds(sources.otherKinds);
    kept.Report();
    log.FlushLog();
    std::fflush(stdout);
    const bool logged = ReportLogFailure(log);
    return allConverted && logged ? 0 : 1;
}

}  // namespace kiro::cli
