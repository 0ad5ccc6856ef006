#pragma once

#include <string>
#include <vector>

namespace kiro::test {

// A Windows test program under wine asks kiroconv_wine_driver (tests/windows/WineDriver.cpp)
// for what only Linux can do. True when the driver runs this program.
bool DriverPresent();
// Sends one request (its fields) and returns the answer's fields; empty without a driver.
std::vector<std::string> AskDriver(const std::vector<std::string>& fields);

}  // namespace kiro::test
