#pragma once

#include <filesystem>
#include <string>

#include "conversion/DeviceFileRecord.h"
#include "conversion/WriteResult.h"

namespace kiro {

// Two columns, wavelength and value, one line per point, no header.
std::string FormatDelimitedAscii(const CDeviceSpectrum& spectrum, char separator);

WriteResult WriteDelimitedAscii(const CDeviceSpectrum& spectrum,
                                const std::filesystem::path& output, char separator);

}  // namespace kiro
