#pragma once

#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace kiro::cli {

struct DeviceOptions {
    std::string folder;
    std::vector<std::string> names;
    std::string targetDirectory;
    std::string existing = "skip";
    bool longListing = false;
};

// Registers ls, tree, get, rm and mkdir; each returns its subcommand in the list.
struct DeviceCommands {
    CLI::App* ls = nullptr;
    CLI::App* tree = nullptr;
    CLI::App* get = nullptr;
    CLI::App* rm = nullptr;
    CLI::App* mkdir = nullptr;
};
DeviceCommands AddDeviceCommands(CLI::App& app, DeviceOptions& options);

int RunList(const DeviceOptions& options);
int RunTree(const DeviceOptions& options);
int RunGet(const DeviceOptions& options);
int RunRemove(const DeviceOptions& options);
int RunMakeDirectory(const DeviceOptions& options);

}  // namespace kiro::cli
