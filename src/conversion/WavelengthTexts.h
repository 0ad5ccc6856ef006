#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <string>
#include <string_view>

#include "conversion/DeviceFileRecord.h"

namespace kiro {

// The wavelength texts of all points, made once per calibration: every spectrum of one
// handheld shares its calibration, so a batch formats that column once, not per file.
// Keyed by the coefficients' bits, so that -0.0 and NaN calibrations are told apart
// exactly.
class CWavelengthTexts {
public:
    // The texts for `spectrum`'s calibration; `append(text, wavelength)` writes one
    // point's text, and runs only when the calibration differs from the last one.
    template <typename Append>
    const CWavelengthTexts& For(const CDeviceSpectrum& spectrum, Append append) {
        const std::array<std::uint32_t, 4> key = {
            std::bit_cast<std::uint32_t>(spectrum.wlCoef1),
            std::bit_cast<std::uint32_t>(spectrum.wlCoef2),
            std::bit_cast<std::uint32_t>(spectrum.wlCoef3),
            std::bit_cast<std::uint32_t>(spectrum.wlIntercept)};
        if (m_made && m_key == key) {
            return *this;
        }
        m_text.clear();
        for (std::size_t i = 0; i < kSpectrumPointCount; ++i) {
            m_starts[i] = static_cast<std::uint32_t>(m_text.size());
            append(m_text, spectrum.WavelengthAt(i));
        }
        m_starts[kSpectrumPointCount] = static_cast<std::uint32_t>(m_text.size());
        m_key = key;
        m_made = true;
        return *this;
    }

    std::string_view At(std::size_t point) const {
        return std::string_view(m_text).substr(m_starts[point],
                                               m_starts[point + 1] - m_starts[point]);
    }
    std::size_t TotalSize() const { return m_text.size(); }

private:
    std::array<std::uint32_t, 4> m_key{};
    bool m_made = false;
    std::string m_text;  // the texts back to back
    std::array<std::uint32_t, kSpectrumPointCount + 1> m_starts{};
};

}  // namespace kiro
