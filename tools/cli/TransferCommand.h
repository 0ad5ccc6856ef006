#pragma once

#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace kiro::cli {

struct TransferOptions {
    std::string action;
    std::string format = "tab";
    bool overwrite = false;
    std::string existing = "skip";
    std::string targetDirectory;
    std::string logFile;
    std::string folder;
    std::vector<std::string> names;
};

CLI::App* AddTransferCommand(CLI::App& app, TransferOptions& options);

// Runs one transfer job on the named files; returns the exit status.
int RunTransfer(const TransferOptions& options);

}  // namespace kiro::cli
