#include "readers/AnyFileReader.h"

#include <array>
#include <cerrno>
#include <utility>
#include <vector>

#include "conversion/DeviceFileReader.h"
#include "platform/FileCalls.h"
#include "platform/RegularFile.h"
#include "readers/DelimitedTextReader.h"
#include "readers/JcampReader.h"
#include "readers/KiroBenchReader.h"
#include "readers/SpcReader.h"

namespace kiro {
namespace {

constexpr std::array<std::pair<std::string_view, SpectrumYUnit>, 5> kOutputSuffixUnits{{
    {".scope", SpectrumYUnit::Counts},
    {".dark", SpectrumYUnit::Counts},
    {".reference", SpectrumYUnit::Counts},
    {".absorbance", SpectrumYUnit::Absorbance},
    {".transmission", SpectrumYUnit::Transmission},
}};

bool EndsWithIgnoringCase(std::string_view text, std::string_view end) {
    if (text.size() < end.size()) {
        return false;
    }
    const std::string_view tail = text.substr(text.size() - end.size());
    for (std::size_t i = 0; i < end.size(); ++i) {
        const char c = tail[i] >= 'A' && tail[i] <= 'Z' ? static_cast<char>(tail[i] + 32) : tail[i];
        if (c != end[i]) {
            return false;
        }
    }
    return true;
}

SpectrumReading FromDevice(const unsigned char* bytes, std::size_t size) {
    SpectrumFileRead read;
    read.size = size;
    const SpectrumLoadResult result = read.spectrum.Load(bytes, size);
    read.outcome = result == SpectrumLoadResult::Loaded      ? SpectrumFileRead::Outcome::Loaded
                   : result == SpectrumLoadResult::Truncated ? SpectrumFileRead::Outcome::Truncated
                   : result == SpectrumLoadResult::UnknownVersion
                       ? SpectrumFileRead::Outcome::UnknownVersion
                       : SpectrumFileRead::Outcome::NotDeviceSpectrum;
    if (!read.Loaded()) {
        return {std::nullopt, DescribeSpectrumFileRead(read)};
    }
    const CDeviceSpectrum& spectrum = read.spectrum;
    SpectrumData data;
    data.format = SpectrumFormat::Device;
    data.unit = YUnitOf(spectrum);
    data.wavelengths.reserve(kSpectrumPointCount);
    data.values.reserve(kSpectrumPointCount);
    for (std::size_t i = 0; i < kSpectrumPointCount; ++i) {
        data.wavelengths.push_back(spectrum.WavelengthAt(i));
        data.values.push_back(spectrum.values[i]);
    }
    data.version = spectrum.version;
    data.spectrumRole = spectrum.spectrumRole;
    data.dataMode = spectrum.dataMode;
    data.calibration = WavelengthCalibration{spectrum.wlIntercept, spectrum.wlCoef1,
                                             spectrum.wlCoef2, spectrum.wlCoef3};
    data.acquisition = AcquisitionSettings{spectrum.integrationTimeMs, spectrum.spectraAveraged,
                                           spectrum.boxcarSmoothing, spectrum.referenceChannel};
    return {std::move(data), {}};
}

bool IsDeviceFile(const unsigned char* bytes, std::size_t size) {
    return size >= 4 &&
           (static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
            static_cast<std::uint32_t>(bytes[2]) << 16 |
            static_cast<std::uint32_t>(bytes[3]) << 24) == kDeviceSpectrumMagic;
}

std::string CannotRead(int error) {
    if (error == kNotRegularFileError) {
        return DescribeSystemError(error);
    }
    return "cannot open the file: " + DescribeSystemError(error);
}

}  // namespace

std::optional<SpectrumYUnit> UnitFromOutputName(std::string_view name) {
    for (const auto& [suffix, unit] : kOutputSuffixUnits) {
        if (name.size() > suffix.size() && name.ends_with(suffix)) {
            return unit;
        }
    }
    return std::nullopt;
}

SpectrumReading ReadAnySpectrum(std::string_view name, const unsigned char* bytes,
                                std::size_t size) {
    if (IsDeviceFile(bytes, size)) {
        return FromDevice(bytes, size);
    }
    if (size > kMaxSpectrumFileBytes) {
        return {std::nullopt, "larger than any spectrum file KiroConv reads (" +
                                  std::to_string(kMaxSpectrumFileBytes / 1024) + " KiB at most)"};
    }
    const std::string_view text(reinterpret_cast<const char*>(bytes), size);
    const std::optional<SpectrumYUnit> nameUnit = UnitFromOutputName(name);
    if (LooksLikeKiroBench(text)) {
        return ReadKiroBench(text, nameUnit.value_or(SpectrumYUnit::Arbitrary),
                             nameUnit.has_value());
    }
    if (LooksLikeJcamp(text)) {
        return ReadJcamp(text);
    }
    // Other forms of SPC (older, big-endian, without an X array) are named as such.
    const bool spcByName =
        EndsWithIgnoringCase(name, ".spc") && size >= 2 && bytes[1] >= 0x4B && bytes[1] <= 0x4D;
    if (LooksLikeSpc(bytes, size) || spcByName) {
        return ReadSpc(bytes, size);
    }
    if (nameUnit) {
        return ReadDelimitedText(text, *nameUnit);
    }
    return {std::nullopt, "not a spectrum file that KiroConv reads"};
}

SpectrumReading ReadAnySpectrumFile(const std::string& path) {
    const std::filesystem::path file = PathFromUtf8(path);
    int error = 0;
    const int fd = OpenRegularFileForReading(file, error);
    if (fd < 0) {
        return {std::nullopt, CannotRead(error)};
    }
    // One byte beyond the largest file taken tells a larger one.
    std::vector<unsigned char> bytes(kMaxSpectrumFileBytes + 1);
    const std::int64_t got = ReadFully(fd, bytes.data(), bytes.size());
    error = got < 0 ? errno : 0;
    CloseFile(fd);
    if (got < 0) {
        return {std::nullopt, "cannot read the file: " + DescribeSystemError(error)};
    }
    return ReadAnySpectrum(Utf8FromPath(file.filename()), bytes.data(),
                           static_cast<std::size_t>(got));
}

}  // namespace kiro
