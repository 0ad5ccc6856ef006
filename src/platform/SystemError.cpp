#include "platform/SystemError.h"

#include <cstring>

namespace kiro {

std::string DescribeSystemError(int error) {
    return error == kNotRegularFileError ? "not a regular file" : std::strerror(error);
}

}  // namespace kiro
