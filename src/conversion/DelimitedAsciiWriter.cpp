#include "conversion/DelimitedAsciiWriter.h"

#include "conversion/LineFormatter.h"

namespace kiro {

std::string FormatDelimitedAscii(const CDeviceSpectrum& spectrum, char separator) {
    std::string text;
    AppendSpectrumLines(text, spectrum, separator);
    return text;
}

}  // namespace kiro
