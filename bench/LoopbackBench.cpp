// What the owner waits for when other local programs crowd the emulated handheld's loopback
// door, which any local user can reach: a fresh `kiroconv-cli ls` over the owner's socket
// while 50 idle TCP clients hold connections to the door (each one the handheld drops is
// made again at once), against the same `ls` with no one at the door. Medians of paired
// runs (A B A B ...), each a fresh process.
//
//   kiroconv_loopback_bench [ROUNDS [TOOLS_DIR]]
//
// TOOLS_DIR holds the kiroconv-cli and kiroscan-sim to time (default: this build's).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "ProcessTiming.h"

namespace fs = std::filesystem;
using kiro::bench::PairedFigures;
using kiro::bench::RunPairs;
using kiro::bench::TimedRun;

namespace {

constexpr int kIdleClients = 50;

int ConnectTo(std::uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Keeps kIdleClients connections to the door that never say a word, making each one that
// the handheld drops again at once, until stopped.
class CIdleCrowd {
public:
    explicit CIdleCrowd(std::uint16_t port) : m_port(port) {}
    ~CIdleCrowd() { Stop(); }

    void Start() {
        m_stopping = false;
        m_connected = 0;
        m_thread = std::thread([this] { Crowd(); });
        for (int waited = 0; m_connected < kIdleClients && waited < 5000; ++waited) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    void Stop() {
        m_stopping = true;
        if (m_thread.joinable()) {
            m_thread.join();
        }
    }
    long Reconnections() const { return m_reconnections; }

private:
    void Crowd() {
        std::vector<pollfd> idle(kIdleClients, pollfd{-1, POLLIN, 0});
        while (!m_stopping) {
            for (pollfd& client : idle) {
                if (client.fd < 0 && (client.fd = ConnectTo(m_port)) >= 0) {
                    ++m_connected;
                }
            }
            ::poll(idle.data(), idle.size(), 5);
            for (pollfd& client : idle) {
                if (client.fd >= 0 && client.revents != 0) {
                    ::close(client.fd);
                    client.fd = -1;
                    ++m_reconnections;
                }
            }
        }
        for (const pollfd& client : idle) {
            if (client.fd >= 0) {
                ::close(client.fd);
            }
        }
    }

    std::uint16_t m_port;
    std::thread m_thread;
    std::atomic<bool> m_stopping{false};
    std::atomic<int> m_connected{0};
    std::atomic<long> m_reconnections{0};
};

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 11;
    const fs::path tools =
        argc > 2 ? fs::path(argv[2]) : fs::path(argv[0]).parent_path() / "../tools";
    const fs::path work =
        fs::temp_directory_path() / ("kiroconv-loopback-" + std::to_string(getpid()));
    fs::create_directories(work / "handheld" / "My Documents");
    for (int i = 0; i < 20; ++i) {
        std::ofstream(work / "handheld" / "My Documents" / ("s" + std::to_string(i) + ".scope_ks"))
            << "x";
    }
    const std::string socket = (work / "h.sock").string();
    const std::string linkFile = (work / "link").string();
    const pid_t sim = kiro::bench::StartListener(
        {(tools / "kiroscan-sim").string(), "--root", (work / "handheld").string(), "--socket",
         socket, "--loopback-link", linkFile},
        socket);
    ::setenv("KIROSCAN_SOCKET", socket.c_str(), 1);
    unsigned port = 0;
    std::ifstream(linkFile) >> port;
    if (port == 0) {
        std::fprintf(stderr, "the emulated handheld did not open its loopback door\n");
        return 1;
    }

    const std::vector<std::string> ls = {(tools / "kiroconv-cli").string(), "ls", "/My Documents"};
    for (int i = 0; i < 3; ++i) {
        TimedRun(ls);  // a handheld in use has served clients before
    }
    CIdleCrowd crowd(static_cast<std::uint16_t>(port));
    const PairedFigures figures =
        RunPairs(ls, ls, rounds, [&crowd](int side) { side == 0 ? crowd.Start() : crowd.Stop(); });
    crowd.Stop();

    std::printf("the owner's kiroconv-cli ls, medians of %d fresh-process pairs (cold)\n", rounds);
    std::printf("  with %d idle loopback clients  %8.4f s\n", kIdleClients, figures.a);
    std::printf("  with none                      %8.4f s   ratio %5.2f%s\n", figures.b,
                figures.ratio, figures.failed ? "  (an ls failed)" : "");
    std::printf("  idle connections the handheld dropped and the crowd made again: %ld\n",
                crowd.Reconnections());
    ::kill(sim, SIGTERM);
    ::waitpid(sim, nullptr, 0);
    fs::remove_all(work);
    return figures.failed ? 1 : 0;
}
