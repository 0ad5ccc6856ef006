#pragma once

#include <cstddef>
#include <string>

#include "conversion/DeviceFileRecord.h"

namespace kiro {

// Text files are written with CR LF on every platform.
inline constexpr const char* kLineEnd = "\r\n";

// Formats a number as printf's "%.<precision>f" does in the "C" locale (correctly
// rounded from the exact binary value, ties to even, "." decimal point, "nan"/"inf"
// spelled as glibc spells them), without going through printf: exact integer
// arithmetic for 2 and 3 decimals below 2^53, std::to_chars for the rest. Returns the number
// of characters appended.
std::size_t AppendFixed(std::string& out, double value, int precision);

// One data line: wavelength with 2 decimals, the separator, value with 3 decimals, CR LF.
void AppendSpectrumLine(std::string& out, const CDeviceSpectrum& spectrum, std::size_t point,
                        char separator);

// All 2048 data lines in point order.
void AppendSpectrumLines(std::string& out, const CDeviceSpectrum& spectrum, char separator);

}  // namespace kiro
