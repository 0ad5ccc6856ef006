#include "windows/WineSupport.h"

#include <cstdlib>

namespace kiro::test {

namespace fs = std::filesystem;

std::string WinePath(const fs::path& path) {
    std::string text = "Z:" + fs::absolute(path).string();
    for (char& c : text) {
        c = c == '/' ? '\\' : c;
    }
    return text;
}

std::string LinuxPath(const std::string& winePath) {
    std::string text =
        winePath.starts_with("Z:") || winePath.starts_with("z:") ? winePath.substr(2) : winePath;
    for (char& c : text) {
        c = c == '\\' ? '/' : c;
    }
    return text;
}

fs::path WineSystemFolder() {
    const char* prefix = std::getenv("WINEPREFIX");
    const char* home = std::getenv("HOME");
    const fs::path root =
        prefix != nullptr ? fs::path(prefix) : fs::path(home != nullptr ? home : "/") / ".wine";
    return root / "drive_c" / "windows" / "system32";
}

void InstallStandInLibrary(const fs::path& windowsBuild) {
    fs::create_directories(WineSystemFolder());
    fs::copy_file(windowsBuild / "tools" / "rapi-standin" / "rapi.dll",
                  WineSystemFolder() / "rapi.dll", fs::copy_options::overwrite_existing);
}

void RemoveStandInLibrary() {
    std::error_code ignored;
    fs::remove(WineSystemFolder() / "rapi.dll", ignored);
}

}  // namespace kiro::test
