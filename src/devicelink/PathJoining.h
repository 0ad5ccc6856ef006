#pragma once

#include <cstddef>
#include <string>

namespace kiro {

// Joins a folder and a name with one separator, or none when the folder already ends
// with it.
std::u16string JoinDevicePath(const std::u16string& folder, const std::u16string& name);
std::string JoinPcPath(const std::string& folder, const std::string& name);

// The longest device or PC path the link accepts, in characters (the remote API's path limit less
// the terminator).
inline constexpr std::size_t kMaxPathChars = 259;

}  // namespace kiro
