#pragma once

#include <string_view>

#include "conversion/DeviceFileRecord.h"

namespace kiro {

// The unit in which the outputs declare a spectrum's values. The file does not say it;
// the role and, for processed spectra, the data mode decide it.
enum class SpectrumYUnit {
    Counts,
    Absorbance,
    Transmission,
    Arbitrary,
};

SpectrumYUnit YUnitOf(const CDeviceSpectrum& spectrum);

// "counts", "absorbance", "transmission" or "arbitrary units".
std::string_view YUnitName(SpectrumYUnit unit);

}  // namespace kiro
