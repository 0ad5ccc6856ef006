#pragma once

// Timing of fresh processes, as a user meets them: each run is a new process, its
// first and only run. Programs are compared in pairs run one after the other
// (A B A B ...), so that a slow spell of the machine hits both sides alike, and the
// figures are medians.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace kiro::bench {

// Runs a program (found on PATH when the name has no "/") to its end, with standard
// output and error going to /dev/null; its wall time in seconds, or a negative number
// when it could not run or did not exit with 0.
inline double TimedRun(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (spawned != 0 || ::waitpid(pid, &status, 0) != pid) {
        return -1;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds : -seconds;
}

// Starts a program (kiroscan-sim) in the background and waits up to five seconds for the
// socket it listens at to appear; its process id.
inline pid_t StartListener(std::vector<std::string> args, const std::string& socket) {
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ);
    for (int i = 0; i < 500 && !std::filesystem::exists(socket); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return pid;
}

inline double Median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Medians of paired runs: each side's time, and the ratio A / B taken pair by pair.
struct PairedFigures {
    double a = 0;
    double b = 0;
    double ratio = 0;
    int pairs = 0;
    bool failed = false;
    std::vector<double> runsA;  // each run's time, in the order run
    std::vector<double> runsB;
};

// Runs `rounds` pairs; before each run, prepare(side) readies a fresh output for it.
template <typename Prepare>
PairedFigures RunPairs(const std::vector<std::string>& a, const std::vector<std::string>& b,
                       int rounds, Prepare prepare) {
    std::vector<double> ratios;
    PairedFigures figures;
    std::vector<double>& timesA = figures.runsA;
    std::vector<double>& timesB = figures.runsB;
    for (int round = 0; round < rounds; ++round) {
        prepare(0);
        const double timeA = TimedRun(a);
        prepare(1);
        const double timeB = TimedRun(b);
        figures.failed = figures.failed || timeA < 0 || timeB < 0;
        timesA.push_back(timeA < 0 ? -timeA : timeA);
        timesB.push_back(timeB < 0 ? -timeB : timeB);
        ratios.push_back(timesA.back() / timesB.back());
    }
    figures.a = Median(timesA);
    figures.b = Median(timesB);
    figures.ratio = Median(ratios);
    figures.pairs = rounds;
    return figures;
}

}  // namespace kiro::bench
