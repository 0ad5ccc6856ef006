#pragma once

#include <ctime>
#include <string>

namespace kiro {

// "Saturday, December 05, 2026, 17:54:02": English names whatever the process locale.
std::string FormatTimeStamp(const std::tm& time);

}  // namespace kiro
