#pragma once

#include <ctime>
#include <vector>

#include "conversion/DeviceFileRecord.h"

namespace kiro {

inline constexpr std::size_t kSpcFileBytes = 16928;

// A single-spectrum, new-format little-endian SPC file with an explicit X array.
std::vector<unsigned char> FormatSpcFile(const CDeviceSpectrum& spectrum, const std::tm& now);

// The SPC packing of a date: minute, hour, day, month, year from the low bits up.
std::uint32_t PackSpcDate(const std::tm& time);

}  // namespace kiro
