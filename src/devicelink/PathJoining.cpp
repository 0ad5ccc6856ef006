#include "devicelink/PathJoining.h"

#include <filesystem>

namespace kiro {

std::u16string JoinDevicePath(const std::u16string& folder, const std::u16string& name) {
    if (!folder.empty() && folder.back() == u'\\') {
        return folder + name;
    }
    return folder + u'\\' + name;
}

std::string JoinPcPath(const std::string& folder, const std::string& name) {
    const char separator = static_cast<char>(std::filesystem::path::preferred_separator);
    if (!folder.empty() && folder.back() == separator) {
        return folder + name;
    }
    return folder + separator + name;
}

}  // namespace kiro
