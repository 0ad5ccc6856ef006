#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/YUnits.h"

namespace kiro {

// Every file that `plot`, `info` and the preview read: the handheld's own, and each
// format the program writes.
enum class SpectrumFormat { Device, Tab, Comma, KiroBench, Spc, Jcamp };

// "device", "tab", "comma", "kirobench", "spc", "jcamp": the names `convert` takes.
std::string_view SpectrumFormatName(SpectrumFormat format);
// "Kiro-SCAN spectrum file", "tab-delimited text", ..., "JCAMP-DX file".
std::string_view SpectrumFormatDescription(SpectrumFormat format);

// No file larger than this is read as a spectrum: the largest the program writes, a
// JCAMP-DX file, is under 70 KB. A device file is read only up to its values.
inline constexpr std::size_t kMaxSpectrumFileBytes = 1024 * 1024;
// No spectrum of more points than this is taken; the handheld's have 2048.
inline constexpr std::size_t kMaxSpectrumPoints = 65536;

struct AcquisitionSettings {
    std::uint16_t integrationTimeMs = 0;
    std::uint16_t spectraAveraged = 0;
    std::uint16_t boxcarSmoothing = 0;
    std::uint32_t referenceChannel = 0;
};

struct WavelengthCalibration {
    float intercept = 0.0f;
    float coef1 = 0.0f;
    float coef2 = 0.0f;
    float coef3 = 0.0f;
};

// A spectrum as a file gives it: its points, the unit of its values, and whatever of the
// handheld's header the format carries (nothing for a delimited file).
struct SpectrumData {
    SpectrumFormat format = SpectrumFormat::Device;
    SpectrumYUnit unit = SpectrumYUnit::Arbitrary;
    bool unitFromName = false;        // a text format that does not say it: its name's suffix did
    std::vector<double> wavelengths;  // nanometres
    std::vector<double> values;
    std::optional<std::uint32_t> version;
    std::optional<std::uint32_t> spectrumRole;
    std::optional<std::uint32_t> dataMode;
    std::optional<WavelengthCalibration> calibration;
    std::optional<AcquisitionSettings> acquisition;
    std::string title;    // a JCAMP-DX file's ##TITLE
    std::string written;  // when the program wrote the file, as the file says
};

// What reading one file gave: the spectrum, or the reason in a few words, to follow the
// file's name and a colon ("cut short: ...").
struct SpectrumReading {
    std::optional<SpectrumData> spectrum;
    std::string failure;
};

}  // namespace kiro
