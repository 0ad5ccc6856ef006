#pragma once

#include <ctime>
#include <string>

#include "conversion/DeviceFileRecord.h"

namespace kiro {

// The desktop software's text data file: header block, begin marker, tab-delimited
// data lines, end marker. The date line is the time of conversion.
std::string FormatKiroBenchFile(const CDeviceSpectrum& spectrum, const std::tm& now);

}  // namespace kiro
