#pragma once

// The files the emulated handheld puts beside the user's own (its socket, its link file)
// and nothing else: each is removed on the way out only while its name still leads to
// the very file the handheld made, and a file found in the way is replaced only when it is
// plainly one the handheld left behind.

#include <sys/types.h>

#include <string>

namespace kiro::sim {

// A file this process made. Removed when the object goes, unless something else has
// taken its name since.
class COwnFile {
public:
    COwnFile() = default;
    // The file now at `path`, examined without following a link; empty when there is none.
    static COwnFile At(const std::string& path);
    // The file open as `fd`, which this process created at `path`.
    static COwnFile Opened(const std::string& path, int fd);
    ~COwnFile();
    COwnFile(COwnFile&& other) noexcept;
    COwnFile& operator=(COwnFile&& other) noexcept;
    COwnFile(const COwnFile&) = delete;
    COwnFile& operator=(const COwnFile&) = delete;

    const std::string& Path() const { return m_path; }

private:
    void Remove();

    std::string m_path;
    dev_t m_device = 0;
    ino_t m_inode = 0;
};

// True while `path` names the file examined as `device` and `inode` (a link not followed).
bool StillTheFile(const std::string& path, dev_t device, ino_t inode);

// "refusing to replace PATH: REASON", the words every refusal here starts with.
std::string RefusalToReplace(const std::string& what, const std::string& path,
                             const std::string& reason);

}  // namespace kiro::sim
