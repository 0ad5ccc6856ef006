// The emulated handheld parsing requests from a hostile client: a session serves a
// small throwaway folder and answers every request frame the fuzzer makes up. Each
// reply must be well formed, and nothing outside the served folder may be read,
// changed or removed.
//
// Input: one byte of fault options, then request frames as on the wire (a 32-bit
// little-endian length, then the body; the last body may be cut short).
//
// Safety: the session can delete files and make folders. It serves a folder made by
// mkdtemp, and before the first input the fuzzing process is confined with Landlock so
// that removing, renaming or creating anything but regular files works only inside
// that folder, whatever the session gets wrong. (libFuzzer still writes its corpus and
// crash files as usual; the handheld never writes files at all.) An unconfined parent
// removes the folder when the fuzzer ends.

#include <fcntl.h>
#include <linux/landlock.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "devicelink/DeviceLink.h"
#include "devicelink/PathJoining.h"
#include "platform/rapi/WireCodec.h"
#include "sim/SimServer.h"

namespace {

namespace fs = std::filesystem;
using kiro::fuzz::Require;
using kiro::wire::CWireReader;
using kiro::wire::Op;

constexpr const char* kSentinelText = "KIROCONV-FUZZ-SENTINEL: outside the handheld";

// Removing, renaming and creating anything but regular files is allowed beneath
// `folder` only, for this process and all it starts.
bool ConfineChangesTo(const fs::path& folder) {
    const long abi =
        ::syscall(SYS_landlock_create_ruleset, nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION);
    if (abi < 2) {
        return false;
    }
    landlock_ruleset_attr ruleset{};
    ruleset.handled_access_fs = LANDLOCK_ACCESS_FS_REMOVE_DIR | LANDLOCK_ACCESS_FS_REMOVE_FILE |
                                LANDLOCK_ACCESS_FS_MAKE_CHAR | LANDLOCK_ACCESS_FS_MAKE_DIR |
                                LANDLOCK_ACCESS_FS_MAKE_SOCK | LANDLOCK_ACCESS_FS_MAKE_FIFO |
                                LANDLOCK_ACCESS_FS_MAKE_BLOCK | LANDLOCK_ACCESS_FS_MAKE_SYM |
                                LANDLOCK_ACCESS_FS_REFER;
    const int rulesetFd =
        static_cast<int>(::syscall(SYS_landlock_create_ruleset, &ruleset, sizeof ruleset, 0));
    if (rulesetFd < 0) {
        return false;
    }
    landlock_path_beneath_attr beneath{};
    beneath.allowed_access = ruleset.handled_access_fs;
    beneath.parent_fd = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    const bool confined =
        beneath.parent_fd >= 0 &&
        ::syscall(SYS_landlock_add_rule, rulesetFd, LANDLOCK_RULE_PATH_BENEATH, &beneath, 0) == 0 &&
        ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
        ::syscall(SYS_landlock_restrict_self, rulesetFd, 0) == 0;
    if (beneath.parent_fd >= 0) {
        ::close(beneath.parent_fd);
    }
    ::close(rulesetFd);
    return confined;
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

timespec ModificationTime(const fs::path& path) {
    struct stat info {};
    Require(::lstat(path.c_str(), &info) == 0, "the throwaway folder and its sentinel exist");
    return info.st_mtim;
}

bool SameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// A throwaway folder: the handheld's root inside it, and a sentinel beside the root
// that no request may reach. The root is laid out anew whenever a request changed it.
class CThrowawayHandheld {
public:
    CThrowawayHandheld() {
        std::string pattern = (fs::temp_directory_path() / "kiroconv-fuzz-sim-XXXXXX").string();
        Require(::mkdtemp(pattern.data()) != nullptr, "a throwaway folder can be made");
        m_folder = pattern;
        m_root = m_folder / "handheld";
        fs::create_directory(m_root);
        WriteFile(m_folder / "outside.txt", kSentinelText);
        LayOutRoot();
        m_files = std::make_unique<kiro::sim::CSimFileSystem>(m_root);
        m_folderTime = ModificationTime(m_folder);
        m_sentinelTime = ModificationTime(m_folder / "outside.txt");
    }
    ~CThrowawayHandheld() {
        m_files.reset();
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
    }
    CThrowawayHandheld(const CThrowawayHandheld&) = delete;
    CThrowawayHandheld& operator=(const CThrowawayHandheld&) = delete;

    const fs::path& Folder() const { return m_folder; }
    const kiro::sim::CSimFileSystem& Files() const { return *m_files; }

    void Restore() {
        for (const auto& entry : fs::directory_iterator(m_root)) {
            fs::remove_all(entry.path());
        }
        LayOutRoot();
    }

    void CheckOutsideUntouched() const {
        Require(SameTime(ModificationTime(m_folder), m_folderTime) &&
                    SameTime(ModificationTime(m_folder / "outside.txt"), m_sentinelTime),
                "nothing beside the handheld's root is created, changed or removed");
    }

private:
    // Spectra, a log, nested and empty folders, links that stay inside and links that
    // point out (relative, to the folder above, absolute), a pipe, and a name that is
    // not UTF-8.
    void LayOutRoot() const {
        const fs::path documents = m_root / "My Documents";
        fs::create_directories(documents / "Run 7");
        fs::create_directory(m_root / "Empty");
        WriteFile(documents / "lamp.scope_ks", std::string(600, 'L'));
        WriteFile(documents / "dark.dark_ks", "dark");
        WriteFile(documents / "session.log_ks", "log line\r\n");
        WriteFile(documents / "Run 7" / "a.scope_ks", "");
        WriteFile(documents / "bad\xff.scope_ks", "not UTF-8");
        fs::create_directory_symlink("My Documents", m_root / "inside");
        fs::create_symlink("../outside.txt", m_root / "escape");
        fs::create_directory_symlink("..", documents / "top");
        fs::create_directory_symlink("..", m_root / "up");
        fs::create_directory_symlink(m_folder, m_root / "far");
        ::mkfifo((m_root / "pipe").c_str(), 0600);
    }

    fs::path m_folder;
    fs::path m_root;
    std::unique_ptr<kiro::sim::CSimFileSystem> m_files;
    timespec m_folderTime{};
    timespec m_sentinelTime{};
};

CThrowawayHandheld* g_handheld = nullptr;

pid_t g_fuzzer = 0;

void PassOn(int signal) {
    ::kill(g_fuzzer, signal);
}

// A confined process may not remove its throwaway folder (that changes the folder
// above it), so an unconfined parent waits for the fuzzer, removes the folder and
// ends as the fuzzer ended. Signals to stop are passed on to the fuzzer.
[[noreturn]] void CleanUpAfter(pid_t fuzzer) {
    g_fuzzer = fuzzer;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        std::signal(signal, PassOn);
    }
    int status = 0;
    while (::waitpid(fuzzer, &status, 0) < 0 && errno == EINTR) {
    }
    delete g_handheld;
    if (WIFSIGNALED(status)) {
        std::signal(WTERMSIG(status), SIG_DFL);
        std::raise(WTERMSIG(status));
    }
    ::_exit(WIFEXITED(status) ? WEXITSTATUS(status) : 1);
}

kiro::sim::SimFaults FaultsFrom(std::uint8_t options) {
    kiro::sim::SimFaults faults;
    if ((options & 1) != 0) {
        faults.failReadAfter = (options >> 3) * 37u;
    }
    if ((options & 2) != 0) {
        faults.dropAfterRequests = options >> 4;
    }
    if ((options & 4) != 0) {
        faults.refuseDeletePattern = "*.log_ks";
    }
    return faults;
}

void CheckListing(CWireReader& reader) {
    std::uint32_t ok = 0;
    std::uint32_t count = 0;
    Require(reader.GetU32(ok) && reader.GetU32(count), "a listing starts with ok and count");
    Require(ok != 0 || count == 0, "a failed listing lists nothing");
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint32_t field = 0;
        for (int k = 0; k < 5; ++k) {
            Require(reader.GetU32(field), "an entry has attributes, time and size");
        }
        std::u16string name;
        Require(reader.GetText(name, kiro::kMaxPathChars), "an entry's name fits a path");
        Require(kiro::IsSafeFileName(name), "a listed name stays inside its folder");
    }
}

void CheckRead(CWireReader& reader, std::string_view request) {
    CWireReader asked(request);
    std::uint32_t handle = 0;
    std::uint32_t wanted = 0;
    Require(asked.GetU32(handle) && asked.GetU32(wanted), "an answered read was well formed");
    std::uint32_t ok = 0;
    std::string data;
    Require(reader.GetU32(ok) && reader.GetBytes(data), "a read answers ok and bytes");
    Require(data.size() <= wanted, "a read never answers more than was asked");
    Require(data.find("SENTINEL") == std::string::npos,
            "no file outside the handheld's root is read");
}

// Checks one reply as the client would read it; true when it reports a change to the
// handheld's files.
bool CheckReply(std::string_view request, const std::string& reply) {
    Require(!reply.empty() && reply[0] == request[0], "a reply names the request's operation");
    Require(reply.size() <= kiro::wire::kMaxFrameBytes, "a reply fits one frame");
    CWireReader reader(std::string_view(reply).substr(1));
    std::uint32_t value = 0;
    bool changed = false;
    switch (static_cast<Op>(request[0])) {
        case Op::FindAllFiles:
            CheckListing(reader);
            break;
        case Op::ReadFile:
            CheckRead(reader, request.substr(1));
            break;
        case Op::GetFileSize:
            Require(reader.GetU32(value) && reader.GetU32(value), "a size is two words");
            break;
        case Op::CreateFile:
            Require(reader.GetU32(value), "an open answers a handle");
            break;
        default:
            Require(reader.GetU32(value) && value <= 1, "a plain call answers 0 or 1");
            changed = value == 1 && request[0] != static_cast<char>(Op::CloseHandle);
            break;
    }
    Require(reader.AtEnd(), "a reply holds nothing after its fields");
    return changed;
}

// Splits the input into request frames as the server receives them.
class CFrameSplitter {
public:
    CFrameSplitter(const std::uint8_t* data, std::size_t size)
        : m_rest(reinterpret_cast<const char*>(data), size) {}
    std::optional<std::string_view> Next() {
        if (m_rest.size() < 4) {
            return std::nullopt;
        }
        std::uint32_t length = 0;
        for (int i = 3; i >= 0; --i) {
            length = length << 8 | static_cast<unsigned char>(m_rest[static_cast<std::size_t>(i)]);
        }
        m_rest.remove_prefix(4);
        // The server drops an empty or oversized frame before reading it.
        if (length == 0 || length > kiro::wire::kMaxFrameBytes) {
            return std::nullopt;
        }
        const std::string_view body = m_rest.substr(0, length);
        m_rest.remove_prefix(body.size());
        return body;
    }

private:
    std::string_view m_rest;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    g_handheld = new CThrowawayHandheld();
    const pid_t parent = ::getpid();
    const pid_t fuzzer = ::fork();
    Require(fuzzer >= 0, "the fuzzer can be started apart from its cleaner");
    if (fuzzer > 0) {
        CleanUpAfter(fuzzer);
    }
    // The fuzzer never outlives the process that cleans up after it.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) {
        ::_exit(1);
    }
    if (!ConfineChangesTo(g_handheld->Folder())) {
        std::fprintf(stderr,
                     "fuzz_sim_session: Landlock is not available (%s); changes outside %s are "
                     "caught only after the fact\n",
                     std::strerror(errno), g_handheld->Folder().c_str());
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const kiro::sim::SimFaults faults = FaultsFrom(data[0]);
    bool changed = false;
    {
        kiro::sim::CSimSession session(g_handheld->Files(), faults, nullptr);
        CFrameSplitter frames(data + 1, size - 1);
        while (const auto request = frames.Next()) {
            const auto reply = session.Handle(*request);
            if (!reply) {
                break;  // the server drops the client here
            }
            changed = CheckReply(*request, *reply) || changed;
        }
    }
    g_handheld->CheckOutsideUntouched();
    if (changed) {
        g_handheld->Restore();
    }
    return 0;
}
