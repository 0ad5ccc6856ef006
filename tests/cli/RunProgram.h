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

}  // namespace kiro::test
