#pragma once

#include <string>

#include "conversion/DeviceFileRecord.h"

namespace kiro {

// Two columns, wavelength and value, one line per point, no header.
std::string FormatDelimitedAscii(const CDeviceSpectrum& spectrum, char separator);

}  // namespace kiro
