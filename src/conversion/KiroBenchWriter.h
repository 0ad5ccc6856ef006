#pragma once

#include <ctime>
#include <filesystem>
#include <string>

#include "conversion/DeviceFileRecord.h"
#include "conversion/WriteResult.h"
#include "platform/Clock.h"

namespace kiro {

// The desktop software's text data file: header block, begin marker, tab-delimited
// data lines, end marker. The date line is the time of conversion.
std::string FormatKiroBenchFile(const CDeviceSpectrum& spectrum, const std::tm& now);

WriteResult WriteKiroBenchFile(const CDeviceSpectrum& spectrum, const std::filesystem::path& output,
                               const IClock& clock);

}  // namespace kiro
