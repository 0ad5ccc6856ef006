#pragma once

#include <string>
#include <vector>

namespace kiro::test {

struct ProgramResult {
    int exitStatus = -1;
    std::string out;
    std::string err;
};

// Runs a program to its end with the given arguments, standard input closed, and
// collects what it printed.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& extraEnvironment = {});

// A program running in the background, whose standard output can be read line by
// line while it runs.
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
    // Reads the rest of the output and waits for the end; returns the exit status.
    int Wait(std::string& restOfOutput);

private:
    int m_pid = -1;
    int m_out = -1;
    std::string m_buffer;
};

}  // namespace kiro::test
