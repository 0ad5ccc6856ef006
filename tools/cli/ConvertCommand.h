#pragma once

#include <string>
#include <vector>

#include "conversion/ConversionOutcome.h"
#include "conversion/OutputFormats.h"

namespace CLI {
class App;
}

namespace kiro::cli {

struct ConvertOptions {
    std::string format = "tab";
    bool overwrite = false;
    std::string logFile;
    std::string outputFolder;  // --to: empty writes each output beside its source
    std::vector<std::string> paths;
};

// Registers "convert" on the application; the options are filled on parsing.
CLI::App* AddConvertCommand(CLI::App& app, ConvertOptions& options);

// Converts every file named or found; returns the exit status.
int RunConvert(const ConvertOptions& options);

// Adds --format/-f with the names of every output format to a command.
void AddFormatOption(CLI::App& command, std::string& format);

// The format a name that AddFormatOption accepted stands for.
OutputFormat FormatFromName(const std::string& name);

// Why a file was not converted, naming its output where that is the cause.
std::string DescribeConversion(const ConversionOutcome& outcome);

}  // namespace kiro::cli
