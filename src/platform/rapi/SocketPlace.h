#pragma once

// Where the emulated handheld listens, and whether a place there can be trusted: only
// the user's own handheld may answer, so the default socket lives in a folder that
// only the user can enter, and a folder or socket of another user is refused.

#include <sys/types.h>

#include <string>

namespace kiro::wire {

inline constexpr const char* kSocketFileName = "kiroscan.sock";

struct SocketPlace {
    std::string path;
    std::string folder;       // the per-user folder; empty for an explicit path
    bool isExplicit = false;  // named by $KIROSCAN_SOCKET
};

// $KIROSCAN_SOCKET, else kiroscan.sock in $XDG_RUNTIME_DIR/kiroscan/, else in
// /tmp/kiroscan-UID/.
SocketPlace DefaultSocketPlace();

// "name (uid N)", or "uid N" for an account without a name.
std::string DescribeUser(uid_t uid);

// Each returns "" when the place may be used, else a sentence saying why not.
// The per-user folder, created with mode 0700 when missing.
std::string MakePrivateFolder(const std::string& folder);
// The per-user folder as found: missing is fine (nothing listens there yet).
std::string CheckPrivateFolder(const std::string& folder);
// An existing socket file: it must be the user's own and writable by nobody else.
// Missing is fine. `anyOwner` lets root use another user's socket.
std::string CheckSocketFile(const std::string& path, bool anyOwner);
// The process listening on a connected socket must run as the user (`anyUser` lets
// root reach another user's handheld).
std::string CheckPeer(int fd, const std::string& path, bool anyUser);

}  // namespace kiro::wire
