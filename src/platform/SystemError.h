#pragma once

#include <string>

namespace kiro {

// A reason given where the system's reasons (errno values) are: the path names a FIFO, a
// device, a socket or a dangling link. Beyond every errno value.
inline constexpr int kNotRegularFileError = 100000;

// The reason as the user reads it: the system's text, or "not a regular file".
std::string DescribeSystemError(int error);

}  // namespace kiro
