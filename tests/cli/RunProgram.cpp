#include "cli/RunProgram.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string_view>

extern char** environ;

namespace kiro::test {
namespace {

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (std::string& s : strings) {
        pointers.push_back(s.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

pid_t SpawnProgram(const std::string& program, const std::vector<std::string>& args,
                   const std::vector<std::string>& extraEnvironment, int outFd, int errFd,
                   int inFd) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (inFd >= 0) {
        posix_spawn_file_actions_adddup2(&actions, inFd, 0);
    } else {
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    }
    if (outFd >= 0) {
        posix_spawn_file_actions_adddup2(&actions, outFd, 1);
    }
    if (errFd >= 0) {
        posix_spawn_file_actions_adddup2(&actions, errFd, 2);
    } else {
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    }
    std::vector<std::string> argStrings = {program};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    // An extra entry takes the place of an inherited one of its name: a program reads the
    // first it finds.
    const auto overridden = [&extraEnvironment](std::string_view entry) {
        const std::string_view name = entry.substr(0, entry.find('=') + 1);
        return std::any_of(extraEnvironment.begin(), extraEnvironment.end(),
                           [name](const std::string& extra) { return extra.starts_with(name); });
    };
    std::vector<std::string> envStrings;
    for (char** e = environ; *e != nullptr; ++e) {
        if (!overridden(*e)) {
            envStrings.emplace_back(*e);
        }
    }
    envStrings.insert(envStrings.end(), extraEnvironment.begin(), extraEnvironment.end());
    std::vector<char*> argv = Pointers(argStrings);
    std::vector<char*> envp = Pointers(envStrings);
    pid_t pid = 0;
    const int spawned =
        posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        throw std::runtime_error("cannot start " + program + ": " + std::strerror(spawned));
    }
    return pid;
}

int WaitForExit(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

CRunningProgram::CRunningProgram(const std::string& program, const std::vector<std::string>& args,
                                 const std::vector<std::string>& extraEnvironment) {
    int outPipe[2];
    if (::pipe2(outPipe, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    m_out = outPipe[0];
    // A file rather than a pipe, so that a program that writes much there never blocks.
    m_err = ::memfd_create("stderr", MFD_CLOEXEC);
    m_pid = SpawnProgram(program, args, extraEnvironment, outPipe[1], m_err);
    ::close(outPipe[1]);
}

CRunningProgram::~CRunningProgram() {
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
    ::close(m_out);
    ::close(m_err);
}

bool CRunningProgram::ReadLine(std::string& line) {
    for (;;) {
        const std::size_t end = m_buffer.find('\n');
        if (end != std::string::npos) {
            line = m_buffer.substr(0, end);
            m_buffer.erase(0, end + 1);
            return true;
        }
        char chunk[4096];
        const ssize_t got = ::read(m_out, chunk, sizeof chunk);
        if (got <= 0) {
            return false;
        }
        m_buffer.append(chunk, static_cast<std::size_t>(got));
    }
}

void CRunningProgram::Signal(int signalNumber) {
    ::kill(m_pid, signalNumber);
}

int CRunningProgram::Wait(std::string& restOfOutput, std::chrono::milliseconds limit) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + limit;
    char chunk[4096];
    for (;;) {
        if (limit > limit.zero()) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            pollfd output{m_out, POLLIN, 0};
            const int ready =
                left > left.zero() ? ::poll(&output, 1, static_cast<int>(left.count())) : 0;
            if (ready < 0) {
                continue;  // interrupted: poll again
            }
            if (ready == 0) {
                ::kill(m_pid, SIGKILL);
                limit = limit.zero();  // the output ends once the program is gone
            }
        }
        const ssize_t got = ::read(m_out, chunk, sizeof chunk);
        if (got <= 0) {
            break;
        }
        m_buffer.append(chunk, static_cast<std::size_t>(got));
    }
    restOfOutput = m_buffer;
    const int status = WaitForExit(m_pid);
    m_pid = -1;
    return status;
}

std::string CRunningProgram::ErrorOutput() const {
    std::string text;
    char chunk[4096];
    ssize_t got;
    for (off_t at = 0; (got = ::pread(m_err, chunk, sizeof chunk, at)) > 0; at += got) {
        text.append(chunk, static_cast<std::size_t>(got));
    }
    return text;
}

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& extraEnvironment,
                         std::chrono::milliseconds limit) {
    CRunningProgram running(program, args, extraEnvironment);
    ProgramResult result;
    result.exitStatus = running.Wait(result.out, limit);
    result.err = running.ErrorOutput();
    return result;
}

}  // namespace kiro::test
