#include "sim/OwnFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace kiro::sim {

COwnFile COwnFile::At(const std::string& path) {
    COwnFile file;
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0) {
        file.m_path = path;
        file.m_device = info.st_dev;
        file.m_inode = info.st_ino;
    }
    return file;
}

COwnFile COwnFile::Opened(const std::string& path, int fd) {
    COwnFile file;
    struct stat info {};
    if (::fstat(fd, &info) == 0) {
        file.m_path = path;
        file.m_device = info.st_dev;
        file.m_inode = info.st_ino;
    }
    return file;
}

COwnFile::~COwnFile() {
    Remove();
}

COwnFile::COwnFile(COwnFile&& other) noexcept
    : m_path(std::exchange(other.m_path, {})), m_device(other.m_device), m_inode(other.m_inode) {}

COwnFile& COwnFile::operator=(COwnFile&& other) noexcept {
    if (this != &other) {
        Remove();
        m_path = std::exchange(other.m_path, {});
        m_device = other.m_device;
        m_inode = other.m_inode;
    }
    return *this;
}

void COwnFile::Remove() {
    if (!m_path.empty() && StillTheFile(m_path, m_device, m_inode)) {
        ::unlink(m_path.c_str());
    }
    m_path.clear();
}

bool StillTheFile(const std::string& path, dev_t device, ino_t inode) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && info.st_dev == device && info.st_ino == inode;
}

std::string RefusalToReplace(const std::string& what, const std::string& path,
                             const std::string& reason) {
    return "refusing to replace the " + what + " " + path + ": " + reason;
}

}  // namespace kiro::sim
