#pragma once

#include <string_view>

#include "readers/ReadingData.h"
#include "readers/TextLines.h"

namespace kiro {

// A tab- or comma-delimited spectrum as `convert` writes it: one "wavelength<sep>value"
// line per point and nothing else (blank lines may end it). The first line's separator
// holds for every line. The file does not say its unit; the caller gives it.
SpectrumReading ReadDelimitedText(std::string_view text, SpectrumYUnit unit);

// Reads one point line into the spectrum; false, with the fault reported to `lines`, for
// anything but a number, the separator and a number, or for a point beyond
// kMaxSpectrumPoints.
bool ReadPointLine(CTextLines& lines, std::string_view line, char separator, SpectrumData& data);

}  // namespace kiro
