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

namespace kiro::cli {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kProgressThreshold = 20;

struct SourceList {
    std::vector<std::string> files;
    bool allFound = true;
};

// A directory stands for the files in it, in name order; no recursion. A FIFO or device
// among them is listed too, so that its refusal is reported rather than passed over.
SourceList ExpandPaths(const std::vector<std::string>& paths) {
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
            if (!entry.is_directory(entryError)) {
                inFolder.push_back(entry.path().string());
            }
        }
        if (error) {
            PrintLine(stdout, "%s: cannot read the directory\n", path);
            list.allFound = false;
        } else if (inFolder.empty()) {
            PrintLine(stdout, "%s: the directory holds no files\n", path);
            list.allFound = false;
        }
        std::sort(inFolder.begin(), inFolder.end());
        list.files.insert(list.files.end(), inFolder.begin(), inFolder.end());
    }
    return list;
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
        return "cannot create the output file " + outcome.outputPath + ": " +
               std::strerror(outcome.systemError != 0 ? outcome.systemError : EIO);
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
    command->add_option("--log", options.logFile,
                        "Record each conversion in this activity log file");
    command
        ->add_option("PATH", options.paths,
                     "Device spectrum files, or directories whose files are all tried")
        ->required();
    command->footer(
        "Each output is written next to its source and named after its kind, e.g.\n"
        "run1.scope_ks -> run1.scope (tab, comma), run1.Master.scope (kirobench),\n"
        "run1.scope.spc (spc), run1.scope.jdx (jcamp: JCAMP-DX). Exit status: 0 when every\n"
        "file converted, 1 when any did not, 2 for a usage error.\n\n"
        "Examples:\n"
        "  kiroconv-cli convert run1.scope_ks\n"
        "  kiroconv-cli convert --format spc --overwrite ~/spectra\n"
        "  kiroconv-cli convert -f kirobench --log LogFile.log a.dark_ks b.reference_ks");
    return command;
}

int RunConvert(const ConvertOptions& options) {
    CommandLineLogging logging;
    if (!logging.Open(options.logFile)) {
        return 1;
    }
    CActivityLog& log = logging.log;
    CStderrMessageBox messageBox;
    const ConversionContext context(
        options.overwrite ? OutputOverwrite::Replace : OutputOverwrite::Keep, messageBox, log,
        logging.clock, logging.user);
    const OutputFormat format = FormatFromName(options.format);
    const SourceList sources = ExpandPaths(options.paths);

    CTerminalProgress progress;
    if (sources.files.size() < kProgressThreshold) {
        progress.Disable();
    }
    bool allConverted = sources.allFound;
    CConversionPipeline batch(sources.files, format, context.overwrite, logging.clock);
    for (std::size_t k = 0; k < batch.Size(); ++k) {
        const std::string& source = batch.Source(k);
        progress.Show(k + 1, batch.Size(), source);
        const ConversionOutcome outcome = batch.ConvertNext(context);
        progress.Clear();
        ReportResult(source, outcome);
        allConverted = allConverted && outcome.Converted();
    }
    log.FlushLog();
    std::fflush(stdout);
    const bool logged = ReportLogFailure(log);
    return allConverted && logged ? 0 : 1;
}

}  // namespace kiro::cli
