#include "platform/SystemError.h"

#include <cstring>

namespace kiro {

std::string DescribeSystemError(int error) {
    switch (error) {
        case kNotRegularFileError:
            return "not a regular file";
        case kUntrustedLinkError:
            return "a symbolic link of another user in a folder that everyone may write";
        default:
            return std::strerror(error);
    }
}

}  // namespace kiro
