#pragma once

#include <string>

namespace kiro {

// A reason given where the system's reasons (errno values) are: the path names a FIFO, a
// device, a socket or a dangling link. Beyond every errno value.
inline constexpr int kNotRegularFileError = 100000;

// A reason for a path that leads through a symbolic link which the protected-links rule
// forbids following (see IsProtectedLink), whether or not the system applies that rule.
inline constexpr int kUntrustedLinkError = 100001;

// The reason as the user reads it: the system's text, or one of the two above.
std::string DescribeSystemError(int error);

}  // namespace kiro
