#include "readers/SpcReader.h"

#include <bit>
#include <cstdint>
#include <cstdio>
#include <string>

namespace kiro {
namespace {

constexpr std::size_t kMainHeaderBytes = 512;
constexpr std::size_t kSubheaderBytes = 32;
constexpr unsigned char kXArrayFlag = 0x80;
constexpr unsigned char kNewLittleEndian = 0x4B;
constexpr unsigned char kFloatValues = 0x80;
constexpr unsigned char kNanometres = 3;

std::uint32_t U32At(const unsigned char* at) {
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

std::uint64_t U64At(const unsigned char* at) {
    return static_cast<std::uint64_t>(U32At(at)) | static_cast<std::uint64_t>(U32At(at + 4)) << 32;
}

float FloatAt(const unsigned char* at) {
    return std::bit_cast<float>(U32At(at));
}

SpectrumYUnit UnitOfYType(unsigned char yType) {
    switch (yType) {
        case 2:
            return SpectrumYUnit::Absorbance;
        case 4:
            return SpectrumYUnit::Counts;
        case 128:
            return SpectrumYUnit::Transmission;
        default:
            return SpectrumYUnit::Arbitrary;
    }
}

// The resolution text "0 P A" names the role and, for a processed spectrum, the data mode.
void ReadRoleCode(const unsigned char* header, SpectrumData& data) {
    const std::string code(reinterpret_cast<const char*>(header + 38), 3);
    constexpr std::string_view kRoles = "DRS";
    if (code.size() == 3 && code[1] == ' ' && code[2] == 'S' &&
        kRoles.find(code[0]) != std::string_view::npos) {
        data.spectrumRole = static_cast<std::uint32_t>(kRoles.find(code[0]));
    } else if (code == "P S" || code == "P A" || code == "P T") {
        data.spectrumRole = 3;
        data.dataMode = static_cast<std::uint32_t>(std::string_view("SAT").find(code[2]));
    }
}

// fdate packs minute, hour, day, month and year; "2026-12-05 14:37", or "" when unset.
std::string PackedDateText(std::uint32_t packed) {
    const unsigned minute = packed & 63;
    const unsigned hour = packed >> 6 & 31;
    const unsigned day = packed >> 11 & 31;
    const unsigned month = packed >> 16 & 15;
    const unsigned year = packed >> 20;
    if (month < 1 || month > 12 || day < 1 || hour > 23 || minute > 59) {
        return {};
    }
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u", year, month, day, hour, minute);
    return text;
}

// Why the header is not one of our form; "" when it is.
std::string FormFault(const unsigned char* header) {
    if (header[1] != kNewLittleEndian) {
        return "an older or big-endian form of SPC";
    }
    if (header[0] != kXArrayFlag) {
        return "an SPC form other than one spectrum with its X values";
    }
    if (header[3] != kFloatValues) {
        return "its Y values are integers, not floats";
    }
    if (header[28] != kNanometres) {
        return "its X values are not wavelengths in nanometres";
    }
    if (U32At(header + 24) > 1) {
        return "it holds " + std::to_string(U32At(header + 24)) + " spectra, not one";
    }
    const std::uint32_t points = U32At(header + 4);
    if (points < 1 || points > kMaxSpectrumPoints) {
        return "it declares " + std::to_string(points) + " points; 1 to " +
               std::to_string(kMaxSpectrumPoints) + " are read";
    }
    return {};
}

}  // namespace

bool LooksLikeSpc(const unsigned char* bytes, std::size_t size) {
    return size >= 2 && bytes[0] == kXArrayFlag && bytes[1] == kNewLittleEndian;
}

SpectrumReading ReadSpc(const unsigned char* bytes, std::size_t size) {
    if (size < kMainHeaderBytes) {
        return {std::nullopt, "SPC file cut short: it ends after " + std::to_string(size) +
                                  " bytes, inside its 512-byte header"};
    }
    if (const std::string fault = FormFault(bytes); !fault.empty()) {
        return {std::nullopt, "SPC file that KiroConv cannot read: " + fault};
    }
    const std::size_t points = U32At(bytes + 4);
    const std::size_t xArray = kMainHeaderBytes;
    const std::size_t yArray = xArray + 4 * points + kSubheaderBytes;
    const std::size_t needed = yArray + 4 * points;
    if (size < needed) {
        return {std::nullopt, "SPC file cut short: it ends after " + std::to_string(size) + " of " +
                                  std::to_string(needed) + " bytes"};
    }
    SpectrumData data;
    data.format = SpectrumFormat::Spc;
    data.unit = UnitOfYType(bytes[29]);
    data.wavelengths.resize(points);
    data.values.resize(points);
    for (std::size_t i = 0; i < points; ++i) {
        data.wavelengths[i] = FloatAt(bytes + xArray + 4 * i);
        data.values[i] = FloatAt(bytes + yArray + 4 * i);
    }
    // The first and last X of the header are the array's own: a damaged file tells.
    const auto same = [](double a, double b) {
        return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
    };
    if (!same(std::bit_cast<double>(U64At(bytes + 8)), data.wavelengths.front()) ||
        !same(std::bit_cast<double>(U64At(bytes + 16)), data.wavelengths.back())) {
        return {std::nullopt,
                "SPC file that KiroConv cannot read: its first and last wavelength disagree "
                "with its X values"};
    }
    ReadRoleCode(bytes, data);
    data.written = PackedDateText(U32At(bytes + 32));
    return {std::move(data), {}};
}

}  // namespace kiro
