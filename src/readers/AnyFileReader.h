#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "readers/ReadingData.h"

namespace kiro {

// The unit a converted file's name gives by its suffix: ".scope", ".dark" and
// ".reference" hold counts, ".absorbance" absorbance, ".transmission" transmission, with or
// without ".Master" before it. Nothing for any other name.
std::optional<SpectrumYUnit> UnitFromOutputName(std::string_view name);

// Any spectrum file that `plot`, `info` and the preview take: the handheld's own and the
// KiroBench, SPC and JCAMP-DX files known by their headers; tab- and comma-delimited text
// known by its name's suffix (see UnitFromOutputName). Anything else is refused, and so is
// anything larger than kMaxSpectrumFileBytes that is not the handheld's.
SpectrumReading ReadAnySpectrum(std::string_view name, const unsigned char* bytes,
                                std::size_t size);

// The same for a file on the PC, named by its path. Never waits on a FIFO or device and
// reads no more than the largest file it takes.
SpectrumReading ReadAnySpectrumFile(const std::string& path);

}  // namespace kiro
