#pragma once

#include <cstdint>
#include <string>

#include "platform/rapi/RapiTypes.h"

namespace kiro {

// "7/3/1999  2:7:9 PM": month/day/year, two spaces, a 12-hour clock, nothing padded.
// The file time is shown as the handheld delivers it, with no zone conversion.
std::string FormatDeviceDate(const rapi::FILETIME& time);
// A PC file's modification time (seconds since 1970) in the same form, in local time.
std::string FormatPcFileDate(std::int64_t secondsSince1970);

// "1234 bytes"; unsigned, so files of 2 GiB and more never show a negative size.
std::string FormatDeviceSize(std::uint32_t size);

// Joins a folder and a name with one separator, or none when the folder already ends
// with it.
std::u16string JoinDevicePath(const std::u16string& folder, const std::u16string& name);
std::string JoinPcPath(const std::string& folder, const std::string& name);

// The longest device or PC path the link accepts, in characters (the remote API's path limit less
// the terminator).
inline constexpr std::size_t kMaxPathChars = 259;

}  // namespace kiro
