#pragma once

#include <array>
#include <cstdint>
#include <istream>

namespace kiro {

inline constexpr std::uint32_t kDeviceSpectrumMagic = 0xA8B356FCu;
inline constexpr std::size_t kSpectrumPointCount = 2048;
inline constexpr std::size_t kDeviceHeaderBytes = 62;
inline constexpr std::size_t kDeviceValuesBytes = kSpectrumPointCount * 4;
inline constexpr std::size_t kDeviceFileBytes = kDeviceHeaderBytes + kDeviceValuesBytes;

enum class SpectrumLoadResult {
    Loaded,
    NotDeviceSpectrum,  // wrong magic
    Truncated,          // the file ends inside the header or the values block
    UnknownVersion,     // a layout other than version 1
};

// One spectrum of the handheld, as read from its binary file.
class CDeviceSpectrum {
public:
    std::uint32_t version = 0;
    std::uint32_t spectrumRole = 0;
    float wlCoef1 = 0.0f;
    float wlCoef2 = 0.0f;
    float wlCoef3 = 0.0f;
    float wlIntercept = 0.0f;
    std::uint32_t dataMode = 0;
    std::uint16_t integrationTimeMs = 0;
    std::uint16_t spectraAveraged = 0;
    std::uint16_t boxcarSmoothing = 0;
    std::uint32_t referenceChannel = 0;
    std::array<float, kSpectrumPointCount> values{};

    // Reads one device spectrum file from the start of the stream. Nothing is
    // invented: a file that ends early is Truncated, never padded.
    SpectrumLoadResult Load(std::istream& stream);
    // The same from bytes already in memory.
    SpectrumLoadResult Load(const unsigned char* bytes, std::size_t size);

    // Wavelength in nanometres of point i; the terms are summed highest order first.
    double WavelengthAt(std::size_t i) const;
};

}  // namespace kiro
