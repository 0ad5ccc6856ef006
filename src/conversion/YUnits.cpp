#include "conversion/YUnits.h"

namespace kiro {

SpectrumYUnit YUnitOf(const CDeviceSpectrum& spectrum) {
    // Roles 0 to 2 are raw detector readings (dark, reference, sample); role 3 is
    // processed, and its data mode says into what.
    if (spectrum.spectrumRole <= 2) {
        return SpectrumYUnit::Counts;
    }
    if (spectrum.spectrumRole != 3) {
        return SpectrumYUnit::Arbitrary;
    }
    switch (spectrum.dataMode) {
        case 0:
            return SpectrumYUnit::Counts;
        case 1:
            return SpectrumYUnit::Absorbance;
        case 2:
            return SpectrumYUnit::Transmission;
        default:
            return SpectrumYUnit::Arbitrary;
    }
}

std::string_view YUnitName(SpectrumYUnit unit) {
    switch (unit) {
        case SpectrumYUnit::Counts:
            return "counts";
        case SpectrumYUnit::Absorbance:
            return "absorbance";
        case SpectrumYUnit::Transmission:
            return "transmission";
        case SpectrumYUnit::Arbitrary:
            break;
    }
    return "arbitrary units";
}

}  // namespace kiro
