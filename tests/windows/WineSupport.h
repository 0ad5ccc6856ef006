#pragma once

#include <filesystem>
#include <string>

#include "windows/DriverProtocol.h"

namespace kiro::test {

// The same file as a Windows program under wine names it: Z: and backslashes.
std::string WinePath(const std::filesystem::path& path);
// And back: "Z:\tmp\a" is /tmp/a.
std::string LinuxPath(const std::string& winePath);

// The system folder of the wine prefix the tests use ($WINEPREFIX, else ~/.wine), where
// the device-sync software would put the remote API library.
std::filesystem::path WineSystemFolder();
// Puts the tests' stand-in remote API library of a Windows build there, or takes it away.
void InstallStandInLibrary(const std::filesystem::path& windowsBuild);
void RemoveStandInLibrary();

}  // namespace kiro::test
