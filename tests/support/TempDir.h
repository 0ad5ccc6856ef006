#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace kiro::test {

// A fresh directory under the system's temporary folder, removed with everything in it.
class CTempDir {
public:
    CTempDir();
    ~CTempDir();
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);
// A FIFO at path; false where the system has none (Windows).
bool MakeFifo(const std::filesystem::path& path);
// A socket file at path that nothing listens on, as a program that died leaves it; false
// where the system has none (Windows).
bool MakeStaleSocket(const std::filesystem::path& path);
// Names of the entries of a directory, sorted.
std::vector<std::string> ListNames(const std::filesystem::path& folder);

}  // namespace kiro::test
