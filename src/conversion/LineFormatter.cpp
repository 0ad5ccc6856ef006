#include "conversion/LineFormatter.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace kiro {

std::size_t AppendFixed(std::string& out, double value, int precision) {
    // A double never needs more than 309 integer digits; the buffer is sized for
    // the worst case so that to_chars cannot run out of room.
    char buffer[400];
    const auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, precision);
    if (error != std::errc{}) {
        const int length = std::snprintf(buffer, sizeof buffer, "%.*f", precision, value);
        out.append(buffer, static_cast<std::size_t>(length));
        return static_cast<std::size_t>(length);
    }
    const auto length = static_cast<std::size_t>(end - buffer);
    out.append(buffer, length);
    return length;
}

void AppendSpectrumLine(std::string& out, const CDeviceSpectrum& spectrum, std::size_t point,
                        char separator) {
    AppendFixed(out, spectrum.WavelengthAt(point), 2);
    out.push_back(separator);
    AppendFixed(out, static_cast<double>(spectrum.values[point]), 3);
    out.append(kLineEnd);
}

void AppendSpectrumLines(std::string& out, const CDeviceSpectrum& spectrum, char separator) {
    out.reserve(out.size() + kSpectrumPointCount * 24);
    for (std::size_t i = 0; i < kSpectrumPointCount; ++i) {
        AppendSpectrumLine(out, spectrum, i, separator);
    }
}

}  // namespace kiro
