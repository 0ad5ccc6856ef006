#pragma once

#include <ctime>
#include <filesystem>
#include <vector>

#include "conversion/DeviceFileRecord.h"
#include "conversion/WriteResult.h"
#include "platform/Clock.h"

namespace kiro {

inline constexpr std::size_t kSpcFileBytes = 16928;

// A single-spectrum, new-format little-endian SPC file with an explicit X array.
std::vector<unsigned char> FormatSpcFile(const CDeviceSpectrum& spectrum, const std::tm& now);

WriteResult WriteSpcFile(const CDeviceSpectrum& spectrum, const std::filesystem::path& output,
                         const IClock& clock);

// The SPC packing of a date: minute, hour, day, month, year from the low bits up.
std::uint32_t PackSpcDate(const std::tm& time);

}  // namespace kiro
