#include "conversion/SpcWriter.h"

#include <bit>
#include <cstring>
#include <string_view>

#include "conversion/YUnits.h"

namespace kiro {
namespace {

constexpr std::size_t kXArrayOffset = 512;
constexpr std::size_t kSubheaderOffset = 8704;
constexpr std::size_t kYArrayOffset = 8736;

void PutU32(unsigned char* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<unsigned char>(value >> (8 * i));
    }
}

void PutU64(unsigned char* at, std::uint64_t value) {
    for (int i = 0; i < 8; ++i) {
        at[i] = static_cast<unsigned char>(value >> (8 * i));
    }
}

void PutFloat(unsigned char* at, float value) {
    PutU32(at, std::bit_cast<std::uint32_t>(value));
}

void PutDouble(unsigned char* at, double value) {
    PutU64(at, std::bit_cast<std::uint64_t>(value));
}

void PutText(unsigned char* at, std::string_view text) {
    std::memcpy(at, text.data(), text.size());
}

// The resolution text's code; empty when the role has none.
std::string_view RoleCodeFor(const CDeviceSpectrum& spectrum) {
    switch (spectrum.spectrumRole) {
        case 0:
            return "D S";
        case 1:
            return "R S";
        case 2:
            return "S S";
        case 3:
            switch (spectrum.dataMode) {
                case 0:
                    return "P S";
                case 1:
                    return "P A";
                case 2:
                    return "P T";
                default:
                    return "";
            }
        default:
            return "";
    }
}

unsigned char SpcYType(SpectrumYUnit unit) {
    switch (unit) {
        case SpectrumYUnit::Counts:
            return 4;
        case SpectrumYUnit::Absorbance:
            return 2;
        case SpectrumYUnit::Transmission:
            return 128;
        case SpectrumYUnit::Arbitrary:
            break;
    }
    return 0;
}

void FillMainHeader(unsigned char* file, const CDeviceSpectrum& spectrum, const std::tm& now,
                    float firstX, float lastX) {
    file[0] = 0x80;  // ftflgs: X array precedes the Y values
    file[1] = 0x4B;  // fversn: new format, little-endian
    file[2] = 6;     // fexper
    file[3] = 0x80;  // fexp: Y values are IEEE floats
    PutU32(file + 4, static_cast<std::uint32_t>(kSpectrumPointCount));
    PutDouble(file + 8, static_cast<double>(firstX));
    PutDouble(file + 16, static_cast<double>(lastX));
    // Readers count subfiles here; a single-spectrum file holds one.
    PutU32(file + 24, 1);
    file[28] = 3;  // fxtype: nanometres
    file[29] = SpcYType(YUnitOf(spectrum));
    PutU32(file + 32, PackSpcDate(now));
    PutText(file + 36, "0 ");
    PutText(file + 38, RoleCodeFor(spectrum));
    PutText(file + 45, "Kiro-SCAN");
    PutText(file + 88, "Corvane Tech Kiro-SCAN Data File");
}

}  // namespace

std::uint32_t PackSpcDate(const std::tm& time) {
    const auto year = static_cast<std::uint32_t>(time.tm_year + 1900);
    const auto month = static_cast<std::uint32_t>(time.tm_mon + 1);
    const auto day = static_cast<std::uint32_t>(time.tm_mday);
    const auto hour = static_cast<std::uint32_t>(time.tm_hour);
    const auto minute = static_cast<std::uint32_t>(time.tm_min);
    return (((((year * 16 + month) * 32 + day) * 32 + hour) * 64) + minute);
}

std::vector<unsigned char> FormatSpcFile(const CDeviceSpectrum& spectrum, const std::tm& now) {
    std::vector<unsigned char> file(kSpcFileBytes, 0);
    for (std::size_t i = 0; i < kSpectrumPointCount; ++i) {
        PutFloat(file.data() + kXArrayOffset + 4 * i, static_cast<float>(spectrum.WavelengthAt(i)));
        // Copied bit for bit so that NaN payloads survive.
        PutU32(file.data() + kYArrayOffset + 4 * i,
               std::bit_cast<std::uint32_t>(spectrum.values[i]));
    }
    const float firstX = static_cast<float>(spectrum.WavelengthAt(0));
    const float lastX = static_cast<float>(spectrum.WavelengthAt(kSpectrumPointCount - 1));
    FillMainHeader(file.data(), spectrum, now, firstX, lastX);
    file[kSubheaderOffset + 1] = 0x80;  // subexp: Y values are IEEE floats
    return file;
}

}  // namespace kiro
