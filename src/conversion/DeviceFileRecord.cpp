#include "conversion/DeviceFileRecord.h"

#include <bit>
#include <cstring>

namespace kiro {
namespace {

std::uint32_t ReadU32(const unsigned char* at) {
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

std::uint16_t ReadU16(const unsigned char* at) {
    return static_cast<std::uint16_t>(at[0] | at[1] << 8);
}

float ReadFloat(const unsigned char* at) {
    return std::bit_cast<float>(ReadU32(at));
}

}  // namespace

SpectrumLoadResult CDeviceSpectrum::Load(std::istream& stream) {
    unsigned char bytes[kDeviceFileBytes];
    stream.read(reinterpret_cast<char*>(bytes), sizeof bytes);
    return Load(bytes, static_cast<std::size_t>(stream.gcount()));
}

SpectrumLoadResult CDeviceSpectrum::Load(const unsigned char* bytes, std::size_t size) {
    if (size < 4 || ReadU32(bytes) != kDeviceSpectrumMagic) {
        return size < 4 ? SpectrumLoadResult::Truncated : SpectrumLoadResult::NotDeviceSpectrum;
    }
    if (size < 8) {
        return SpectrumLoadResult::Truncated;
    }
    version = ReadU32(bytes + 4);
    if (version != 1) {
        return SpectrumLoadResult::UnknownVersion;
    }
    if (size < kDeviceFileBytes) {
        return SpectrumLoadResult::Truncated;
    }
    spectrumRole = ReadU32(bytes + 8);
    wlCoef1 = ReadFloat(bytes + 12);
    wlCoef2 = ReadFloat(bytes + 16);
    wlCoef3 = ReadFloat(bytes + 20);
    wlIntercept = ReadFloat(bytes + 24);
    dataMode = ReadU32(bytes + 28);
    integrationTimeMs = ReadU16(bytes + 32);
    spectraAveraged = ReadU16(bytes + 34);
    boxcarSmoothing = ReadU16(bytes + 36);
    referenceChannel = ReadU32(bytes + 42);
    for (std::size_t i = 0; i < kSpectrumPointCount; ++i) {
        values[i] = ReadFloat(bytes + kDeviceHeaderBytes + 4 * i);
    }
    return SpectrumLoadResult::Loaded;
}

double CDeviceSpectrum::WavelengthAt(std::size_t i) const {
    const double x = static_cast<double>(i);
    const double x2 = x * x;
    const double x3 = x2 * x;
    double sum = static_cast<double>(wlCoef3) * x3 + static_cast<double>(wlCoef2) * x2;
    sum = sum + static_cast<double>(wlCoef1) * x;
    sum = sum + static_cast<double>(wlIntercept);
    return sum;
}

}  // namespace kiro
