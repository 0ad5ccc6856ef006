#pragma once

#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace kiro::cli {

struct InfoOptions {
    bool json = false;
    std::vector<std::string> paths;
};

// Registers "info" on the application; the options are filled on parsing.
CLI::App* AddInfoCommand(CLI::App& app, InfoOptions& options);

// Prints the header and value summary of each device file; returns the exit status.
int RunInfo(const InfoOptions& options);

}  // namespace kiro::cli
