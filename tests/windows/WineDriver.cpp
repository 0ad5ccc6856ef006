// kiroconv_wine_driver: runs a Windows test program of the Windows build under wine and
// does for it what only Linux can: starting and stopping emulated handhelds (kiroscan-sim
// with its loopback door, whose link file the program's stand-in remote API library
// reads) and photographing the virtual display. The program asks on its standard output,
// in lines that hold kDriverRequestMark, and reads each answer from its standard input;
// every other line of its output is passed on. Usage:
//   kiroconv_wine_driver PROGRAM.exe [ARGUMENTS...]
// PROGRAM.exe is taken from $KIROCONV_WINDOWS_BUILD when it names no folder; without a
// Windows build the driver exits 77, which ctest counts as skipped.

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "cli/RunProgram.h"
#include "sim/SimProcess.h"
#include "windows/WineSupport.h"

namespace {

namespace fs = std::filesystem;
using kiro::test::CSimProcess;

constexpr int kSkipped = 77;

// The handhelds the program asked for, newest last, each with its link file.
struct Handheld {
    std::unique_ptr<kiro::test::CTempDir> folder;
    std::unique_ptr<CSimProcess> process;
};

class CDriver {
public:
    std::string Answer(const std::vector<std::string>& fields);

private:
    std::vector<Handheld> m_handhelds;
};

std::string CDriver::Answer(const std::vector<std::string>& fields) {
    const std::string& command = fields.front();
    if (command == "start-handheld") {
        Handheld handheld;
        handheld.folder = std::make_unique<kiro::test::CTempDir>();
        const fs::path link = handheld.folder->Path() / "link";
        std::vector<std::string> arguments(fields.begin() + 1, fields.end());
        arguments.insert(arguments.end(), {"--loopback-link", link.string()});
        handheld.process = std::make_unique<CSimProcess>(arguments);
        const std::string answer = "ok\t" + kiro::test::WinePath(link) + "\t" +
                                   kiro::test::WinePath(handheld.process->Root());
        m_handhelds.push_back(std::move(handheld));
        return answer;
    }
    if ((command == "stop-handheld" || command == "kill-handheld") && !m_handhelds.empty()) {
        int status = 0;
        if (command == "kill-handheld") {
            m_handhelds.back().process->Kill();
        } else {
            status = m_handhelds.back().process->Stop();
        }
        // Its folder goes when the program says so: the handheld's files stay readable.
        return "ok\t" + std::to_string(status);
    }
    if (command == "forget-handheld" && !m_handhelds.empty()) {
        m_handhelds.pop_back();
        return "ok";
    }
    if (command == "photograph" && fields.size() == 6) {
        const std::string crop = fields[3] + "x" + fields[4] + "+" + fields[1] + "+" + fields[2];
        const std::string target = kiro::test::LinuxPath(fields[5]);
        const std::string shell =
            "import -window root -crop '" + crop + "' +repage '" + target + "'";
        return std::system(shell.c_str()) == 0 ? "ok" : "failed";
    }
    return "unknown request";
}

// Starts `wine PROGRAM ARGS` with both standard streams on pipes of ours.
pid_t StartUnderWine(const std::vector<std::string>& command, int& toProgram, int& fromProgram) {
    int input[2];
    int output[2];
    if (::pipe2(input, O_CLOEXEC) != 0 || ::pipe2(output, O_CLOEXEC) != 0) {
        return -1;
    }
    const pid_t pid = kiro::test::SpawnProgram("/usr/bin/wine", command, {"KIROCONV_DRIVER=1"},
                                               output[1], STDERR_FILENO, input[0]);
    ::close(input[0]);
    ::close(output[1]);
    toProgram = input[1];
    fromProgram = output[0];
    return pid;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: kiroconv_wine_driver PROGRAM.exe [ARGUMENTS...]\n");
        return 2;
    }
    std::vector<std::string> command(argv + 1, argv + argc);
    if (command.front().find('/') == std::string::npos) {
        const char* build = std::getenv("KIROCONV_WINDOWS_BUILD");
        if (build == nullptr) {
            std::printf("no Windows build: scripts/test-windows.sh runs these tests\n");
            return kSkipped;
        }
        command.front() = std::string(build) + "/tests/" + command.front();
        kiro::test::InstallStandInLibrary(build);
    }
    ::signal(SIGPIPE, SIG_IGN);
    // A wine session begun by a program without a display (a command-line test just
    // before) cannot show windows: it ends first.
    [[maybe_unused]] const int ended = std::system("wineserver -w");
    int toProgram = -1;
    int fromProgram = -1;
    const pid_t pid = StartUnderWine(command, toProgram, fromProgram);
    if (pid < 0) {
        std::perror("kiroconv_wine_driver: cannot start wine");
        return 1;
    }
    CDriver driver;
    FILE* output = ::fdopen(fromProgram, "r");
    char* line = nullptr;
    std::size_t capacity = 0;
    for (ssize_t length; (length = ::getline(&line, &capacity, output)) > 0;) {
        std::string text(line, static_cast<std::size_t>(length));
        const std::size_t mark = text.find(kiro::test::kDriverRequestMark);
        if (mark == std::string::npos) {
            std::fputs(text.c_str(), stdout);
            std::fflush(stdout);
            continue;
        }
        std::fputs(text.substr(0, mark).c_str(), stdout);
        std::string request =
            text.substr(mark + std::string(kiro::test::kDriverRequestMark).size());
        while (!request.empty() && (request.back() == '\n' || request.back() == '\r')) {
            request.pop_back();
        }
        const std::string answer = driver.Answer(kiro::test::DriverFields(request)) + "\n";
        if (::write(toProgram, answer.data(), answer.size()) < 0) {
            break;
        }
    }
    std::free(line);
    std::fclose(output);
    ::close(toProgram);
    return kiro::test::WaitForExit(pid);
}
