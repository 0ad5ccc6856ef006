#pragma once

// Properties every reader of a spectrum file keeps, whatever bytes it is given.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "readers/AnyFileReader.h"
#include "readers/ReadingData.h"

namespace kiro::fuzz {

// Loaded or refused, never both; a loaded spectrum has its points in pairs, within bounds,
// in the reader's format.
inline void CheckReading(const SpectrumReading& reading, SpectrumFormat format) {
    Require(reading.spectrum.has_value() != !reading.failure.empty(),
            "a reading is a spectrum or a reason, never both or neither");
    if (!reading.spectrum) {
        Require(reading.failure.find('\n') == std::string::npos, "a reason is one line");
        return;
    }
    const SpectrumData& data = *reading.spectrum;
    Require(data.wavelengths.size() == data.values.size(), "every point has both coordinates");
    Require(!data.values.empty() && data.values.size() <= kMaxSpectrumPoints,
            "a spectrum has 1 to kMaxSpectrumPoints points");
    if (format == SpectrumFormat::Tab || format == SpectrumFormat::Comma) {
        Require(data.format == SpectrumFormat::Tab || data.format == SpectrumFormat::Comma,
                "delimited text reads as delimited text");
    } else {
        Require(data.format == format, "a reader gives its own format");
    }
}

inline bool SameReading(const SpectrumReading& a, const SpectrumReading& b) {
    if (a.failure != b.failure || a.spectrum.has_value() != b.spectrum.has_value()) {
        return false;
    }
    if (!a.spectrum) {
        return true;
    }
    const auto sameBits = [](const std::vector<double>& x, const std::vector<double>& y) {
        return x.size() == y.size() &&
               (x.empty() || std::memcmp(x.data(), y.data(), x.size() * sizeof(double)) == 0);
    };
    return a.spectrum->format == b.spectrum->format && a.spectrum->unit == b.spectrum->unit &&
           sameBits(a.spectrum->wavelengths, b.spectrum->wavelengths) &&
           sameBits(a.spectrum->values, b.spectrum->values);
}

// The file read by its header through the reader that plot, info and the preview use
// gives the same as the format's own reader.
inline void CheckSameThroughDispatch(std::string_view name, const std::uint8_t* data,
                                     std::size_t size, const SpectrumReading& direct) {
    Require(SameReading(ReadAnySpectrum(name, data, size), direct),
            "the general reader reads the file as its format's reader does");
}

}  // namespace kiro::fuzz
