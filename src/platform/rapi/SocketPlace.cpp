#include "platform/rapi/SocketPlace.h"

#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace kiro::wire {
namespace {

std::string NonEmptyVariable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

bool WritableByOthers(const struct stat& info) {
    return (info.st_mode & (S_IWGRP | S_IWOTH)) != 0;
}

// Why a folder or socket found at `path` is not the user's own, or "".
std::string Untrusted(const char* what, const std::string& path, const struct stat& info,
                      bool anyOwner) {
    if (info.st_uid != ::geteuid() && !anyOwner) {
        return std::string("refusing the ") + what + " " + path + ": it belongs to another user, " +
               DescribeUser(info.st_uid);
    }
    if (WritableByOthers(info)) {
        return std::string("refusing the ") + what + " " + path + " of " +
               DescribeUser(info.st_uid) + ": other users may write to it";
    }
    return "";
}

std::string CheckFolderInfo(const std::string& folder, const struct stat& info) {
    if (!S_ISDIR(info.st_mode)) {
        return "refusing the socket folder " + folder + " of " + DescribeUser(info.st_uid) +
               ": it is not a folder";
    }
    return Untrusted("socket folder", folder, info, false);
}

}  // namespace

SocketPlace DefaultSocketPlace() {
    if (std::string explicitPath = NonEmptyVariable("KIROSCAN_SOCKET"); !explicitPath.empty()) {
        return {explicitPath, "", true};
    }
    const std::string runtime = NonEmptyVariable("XDG_RUNTIME_DIR");
    const std::string folder =
        runtime.empty() ? "/tmp/kiroscan-" + std::to_string(::geteuid()) : runtime + "/kiroscan";
    return {folder + "/" + kSocketFileName, folder, false};
}

std::string DescribeUser(uid_t uid) {
    const long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    const std::string number = "uid " + std::to_string(uid);
    if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr) {
        return std::string(found->pw_name) + " (" + number + ")";
    }
    return number;
}

std::string MakePrivateFolder(const std::string& folder) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return "cannot create the socket folder " + folder + ": " + std::strerror(errno);
    }
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0) {
        return "cannot examine the socket folder " + folder + ": " + std::strerror(errno);
    }
    return CheckFolderInfo(folder, info);
}

std::string CheckPrivateFolder(const std::string& folder) {
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0) {
        return "";
    }
    return CheckFolderInfo(folder, info);
}

std::string CheckSocketFile(const std::string& path, bool anyOwner) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        return "";
    }
    return Untrusted("socket", path, info, anyOwner);
}

std::string CheckPeer(int fd, const std::string& path, bool anyUser) {
    ucred peer{};
    socklen_t size = sizeof peer;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0) {
        return "cannot tell who runs the handheld at " + path + ": " + std::strerror(errno);
    }
    if (peer.uid == ::geteuid() || anyUser) {
        return "";
    }
    return "refusing the handheld at " + path + ": it is run by another user, " +
           DescribeUser(peer.uid);
}

}  // namespace kiro::wire
