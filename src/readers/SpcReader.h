#pragma once

#include <cstddef>

#include "readers/ReadingData.h"

namespace kiro {

// True when the bytes begin as the SPC files `convert` writes do: the X-array flag set and
// the new, little-endian format.
bool LooksLikeSpc(const unsigned char* bytes, std::size_t size);

// An SPC file in the form `convert` writes: new format, little-endian, one spectrum of
// float Y values after an explicit X array of wavelengths in nanometres. Every count and
// offset is checked against the file's size before anything is read; other forms of SPC
// are refused with what they are.
SpectrumReading ReadSpc(const unsigned char* bytes, std::size_t size);

}  // namespace kiro
