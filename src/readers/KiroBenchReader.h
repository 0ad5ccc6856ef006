#pragma once

#include <string_view>

#include "readers/ReadingData.h"

namespace kiro {

// True when the text begins as a KiroBench data file does ("KiroBench Version ...").
bool LooksLikeKiroBench(std::string_view text);

// A KiroBench data file as `convert` writes it: the header (its date, acquisition settings
// and reference channel are kept), the begin marker, one "wavelength<tab>value" line per
// point and the end marker. A file without its end marker is cut short and refused. The
// file does not say its unit; the caller gives it.
SpectrumReading ReadKiroBench(std::string_view text, SpectrumYUnit unit, bool unitFromName);

}  // namespace kiro
