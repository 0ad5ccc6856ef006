#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "conversion/DeviceFileRecord.h"

namespace kiro {

// A JCAMP-DX 5.01 file of one UV/VIS spectrum. The wavelength scale is a polynomial, not
// evenly spaced, so every point goes as an explicit "x, y" pair. Factors are 1 and every
// number is written in the shortest form that reads back to the same double (wavelength)
// or float (value), so nothing is lost; "?" stands for a value that is not a finite number.
// `title` names the spectrum, usually its source file's name, and `owner` the user who
// converted it; a text too long for one 80-character line goes on over further lines.
std::string FormatJcampFile(const CDeviceSpectrum& spectrum, std::string_view title,
                            std::string_view owner);

// Why a spectrum cannot become a JCAMP-DX file, or nothing when it can: x values must be
// numbers, which a wavelength scale that is not finite at every point cannot give.
std::string_view JcampRefusal(const CDeviceSpectrum& spectrum);

// The longest line JCAMP-DX allows, in bytes without its end.
inline constexpr std::size_t kJcampMaxLineBytes = 80;

}  // namespace kiro
