// Copies a 16 MiB handheld file with TransferFile (4096-byte chunks) against cp of
// the same file, and lists a handheld folder of 10,000 files, against a kiroscan-sim
// process started here.
//
//   kiroconv_transfer_bench [ROUNDS]
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "devicelink/DeviceLink.h"
#include "devicelink/MemoryControls.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

class CSilentBox final : public kiro::IMessageBox {
public:
    kiro::MessageAnswer Show(const kiro::MessageBoxRequest& r) override { return r.defaultAnswer; }
};

pid_t StartSim(const fs::path& simPath, const fs::path& root, const std::string& socket) {
    std::vector<std::string> args = {simPath.string(), "--root", root.string(), "--socket", socket};
    std::vector<char*> argv;
    for (auto& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ);
    for (int i = 0; i < 500 && !fs::exists(socket); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return pid;
}

void MakeHandheld(const fs::path& root) {
    fs::create_directories(root / "Many");
    std::ofstream big(root / "big.bin", std::ios::binary);
    std::string block(1 << 20, '\0');
    for (std::size_t i = 0; i < block.size(); ++i) {
        block[i] = static_cast<char>(i * 131 + 7);
    }
    for (int i = 0; i < 16; ++i) {
        big.write(block.data(), static_cast<std::streamsize>(block.size()));
    }
    for (int i = 0; i < 10000; ++i) {
        std::ofstream(root / "Many" / ("spectrum-" + std::to_string(i) + ".scope_ks")) << "x";
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
    const fs::path simPath = fs::path(argv[0]).parent_path() / "../tools/kiroscan-sim";
    const fs::path work =
        fs::temp_directory_path() / ("kiroconv-transfer-" + std::to_string(getpid()));
    MakeHandheld(work / "handheld");
    fs::create_directories(work / "pc");
    const std::string socket = (work / "h.sock").string();
    const pid_t sim = StartSim(simPath, work / "handheld", socket);
    ::setenv("KIROSCAN_SOCKET", socket.c_str(), 1);

    kiro::CRapiRemoteApi api;
    CSilentBox box;
    kiro::CDeviceLink link(api, box);
    if (link.Connect() != kiro::kConnectOk) {
        std::fprintf(stderr, "cannot reach kiroscan-sim\n");
        return 1;
    }
    double bestTransfer = 1e9;
    double bestCopy = 1e9;
    double bestList = 1e9;
    double bestFind = 1e9;
    for (int round = 0; round < rounds; ++round) {
        auto start = Clock::now();
        const auto copied =
            link.TransferFile(u"\\", u"big.bin", (work / "pc").string(), "big.bin", 4096, nullptr);
        bestTransfer = std::min(bestTransfer, SecondsSince(start));
        if (copied != 16 << 20) {
            std::fprintf(stderr, "transfer failed: %lld\n", static_cast<long long>(copied));
        }
        const std::string cp = "cp '" + (work / "handheld/big.bin").string() + "' '" +
                               (work / "pc/cp.bin").string() + "'";
        start = Clock::now();
        [[maybe_unused]] const int status = std::system(cp.c_str());
        bestCopy = std::min(bestCopy, SecondsSince(start));
        kiro::CMemoryFileList list;
        start = Clock::now();
        link.FillFileList(u"\\Many", list);
        bestList = std::min(bestList, SecondsSince(start));
        kiro::rapi::DWORD count = 0;
        kiro::rapi::CE_FIND_DATA* entries = nullptr;
        start = Clock::now();
        api.CeFindAllFiles(u"\\Many\\*", kiro::kListFindFlags, &count, &entries);
        bestFind = std::min(bestFind, SecondsSince(start));
        api.CeRapiFreeBuffer(entries);
        if (list.GetItemCount() != 10000) {
            std::fprintf(stderr, "listing gave %d files\n", list.GetItemCount());
        }
    }
    link.Disconnect();
    std::printf("best of %d rounds\n", rounds);
    std::printf("TransferFile 16 MiB  %8.4f s\n", bestTransfer);
    std::printf("cp 16 MiB            %8.4f s   ratio %.2f\n", bestCopy, bestTransfer / bestCopy);
    std::printf("list 10,000 files    %8.4f s   (of which the remote search %.4f s)\n", bestList,
                bestFind);
    ::kill(sim, SIGTERM);
    ::waitpid(sim, nullptr, 0);
    fs::remove_all(work);
    return 0;
}
