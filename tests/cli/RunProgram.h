#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace kiro::test {

struct ProgramResult {
    int exitStatus = -1;
    std::string out;
    std::string err;
};

// Starts a program with standard input from inFd (empty when negative), standard output
// into outFd (inherited when negative) and standard error into errFd (discarded when
// negative).
pid_t SpawnProgram(const std::string& program, const std::vector<std::string>& args,
                   const std::vector<std::string>& extraEnvironment, int outFd, int errFd,
                   int inFd = -1);
// Waits for a started program to end; returns its exit status, 128 + the signal if killed.
int WaitForExit(pid_t pid);

// A program running in the background, whose standard output can be read line by
// line while it runs; its standard error is kept for after its end.
class CRunningProgram {
public:
    CRunningProgram(const std::string& program, const std::vector<std::string>& args,
                    const std::vector<std::string>& extraEnvironment = {});
    ~CRunningProgram();
    CRunningProgram(const CRunningProgram&) = delete;
    CRunningProgram& operator=(const CRunningProgram&) = delete;

    // The next line of standard output without its end; false at the end of output.
    bool ReadLine(std::string& line);
    void Signal(int signalNumber);
    // Reads the rest of the output and waits for the end; returns the exit status. A
    // program still running after `limit` (when given) is killed: status 137.
    int Wait(std::string& restOfOutput,
             std::chrono::milliseconds limit = std::chrono::milliseconds::zero());
    std::string ErrorOutput() const;

private:
    int m_pid = -1;
    int m_out = -1;
    int m_err = -1;
    std::string m_buffer;
};

// Runs a program to its end and collects what it printed; one that runs longer than
// `limit` (when given) is killed, so a hang fails the test instead of stalling it.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& extraEnvironment = {},
                         std::chrono::milliseconds limit = std::chrono::milliseconds::zero());

}  // namespace kiro::test
