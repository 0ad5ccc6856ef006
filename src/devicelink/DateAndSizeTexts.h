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

}  // namespace kiro
