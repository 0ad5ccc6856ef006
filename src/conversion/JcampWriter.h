#pragma once

#include <string>
#include <string_view>

#include "conversion/DeviceFileRecord.h"

namespace kiro {

// A JCAMP-DX 5.01 file of one UV/VIS spectrum. The wavelength scale is a polynomial, not
// evenly spaced, so every point goes as an explicit "x, y" pair. Factors are 1 and every
// number is written in the shortest form that reads back to the same double (wavelength)
// or float (value), so nothing is lost; "?" stands for a value that is not a finite number.
// `title` names the spectrum, usually its source file's name.
std::string FormatJcampFile(const CDeviceSpectrum& spectrum, std::string_view title);

}  // namespace kiro
