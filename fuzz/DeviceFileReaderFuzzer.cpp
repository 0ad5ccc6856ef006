// Device spectrum files come from the handheld: any bytes at all must load or be
// refused cleanly, and a loaded spectrum must format exactly as printf would.
//
// Input: the file's bytes. Bytes past the end of a complete file steer the
// formatting: an odd first byte asks for the SPC file, and each following pair names
// one more point whose data line is checked.

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <sstream>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "conversion/DeviceFileRecord.h"
#include "conversion/LineFormatter.h"
#include "conversion/SpcWriter.h"

namespace {

using kiro::CDeviceSpectrum;
using kiro::SpectrumLoadResult;
using kiro::fuzz::Require;

std::uint32_t LittleEndianAt(const std::uint8_t* bytes, std::size_t offset) {
    std::uint32_t value = 0;
    for (std::size_t i = 4; i-- > 0;) {
        value = value << 8 | bytes[offset + i];
    }
    return value;
}

// What a reader of the documented layout must answer for these bytes.
SpectrumLoadResult ExpectedResult(const std::uint8_t* bytes, std::size_t size) {
    if (size < 4) {
        return SpectrumLoadResult::Truncated;
    }
    if (LittleEndianAt(bytes, 0) != kiro::kDeviceSpectrumMagic) {
        return SpectrumLoadResult::NotDeviceSpectrum;
    }
    if (size < 8) {
        return SpectrumLoadResult::Truncated;
    }
    if (LittleEndianAt(bytes, 4) != 1) {
        return SpectrumLoadResult::UnknownVersion;
    }
    return size < kiro::kDeviceFileBytes ? SpectrumLoadResult::Truncated
                                         : SpectrumLoadResult::Loaded;
}

bool SameValueBits(float value, std::uint32_t bits) {
    return std::bit_cast<std::uint32_t>(value) == bits;
}

void CheckNothingInvented(const CDeviceSpectrum& spectrum, const std::uint8_t* bytes) {
    for (std::size_t i = 0; i < kiro::kSpectrumPointCount; ++i) {
        const std::uint32_t bits = LittleEndianAt(bytes, kiro::kDeviceHeaderBytes + 4 * i);
        Require(SameValueBits(spectrum.values[i], bits), "every value is the file's own bits");
    }
    Require(SameValueBits(spectrum.wlCoef1, LittleEndianAt(bytes, 12)) &&
                SameValueBits(spectrum.wlIntercept, LittleEndianAt(bytes, 24)),
            "the calibration is the file's own");
}

void CheckSameSpectrum(const CDeviceSpectrum& a, const CDeviceSpectrum& b) {
    Require(std::memcmp(a.values.data(), b.values.data(), sizeof a.values) == 0 &&
                a.spectrumRole == b.spectrumRole && a.dataMode == b.dataMode &&
                a.integrationTimeMs == b.integrationTimeMs &&
                a.referenceChannel == b.referenceChannel,
            "a stream and bytes in memory load the same spectrum");
}

// The line formatter is checked against the C library's printf, which it replaces.
void CheckLine(const CDeviceSpectrum& spectrum, std::size_t point, char separator) {
    std::string line;
    kiro::AppendSpectrumLine(line, spectrum, point, separator);
    char expected[1024];
    std::snprintf(expected, sizeof expected, "%.2f%c%.3f\r\n", spectrum.WavelengthAt(point),
                  separator, static_cast<double>(spectrum.values[point]));
    Require(line == expected, "a data line reads as printf(\"%.2f<sep>%.3f\\r\\n\") writes it");
}

std::tm FixedTime() {
    std::tm time{};
    time.tm_year = 2001 - 1900;
    time.tm_mon = 2;
    time.tm_mday = 4;
    time.tm_hour = 13;
    time.tm_min = 5;
    time.tm_sec = 6;
    time.tm_wday = 0;
    return time;
}

// The SPC file is binary and cheap to build; its Y values close the file and must be
// the device file's values bit for bit, NaN payloads included. (The text formats are
// 2048 of the lines checked above; building them whole would cost a millisecond.)
void CheckSpcFile(const CDeviceSpectrum& spectrum, const std::uint8_t* deviceFile) {
    const std::vector<unsigned char> spc = kiro::FormatSpcFile(spectrum, FixedTime());
    Require(spc.size() == kiro::kSpcFileBytes, "an SPC file always has the same size");
    Require(std::memcmp(spc.data() + spc.size() - kiro::kDeviceValuesBytes,
                        deviceFile + kiro::kDeviceHeaderBytes, kiro::kDeviceValuesBytes) == 0,
            "the SPC file's Y values are the device file's values");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CDeviceSpectrum fromBytes;
    const SpectrumLoadResult result = fromBytes.Load(data, size);
    Require(result == ExpectedResult(data, size), "the load result follows the layout");

    CDeviceSpectrum fromStream;
    std::istringstream stream(std::string(reinterpret_cast<const char*>(data), size));
    Require(fromStream.Load(stream) == result, "a stream loads as bytes in memory do");
    if (result != SpectrumLoadResult::Loaded) {
        return 0;
    }
    CheckSameSpectrum(fromBytes, fromStream);
    CheckNothingInvented(fromBytes, data);

    const std::uint8_t* steering = data + kiro::kDeviceFileBytes;
    const std::size_t steeringSize = size - kiro::kDeviceFileBytes;
    CheckLine(fromBytes, 0, '\t');
    CheckLine(fromBytes, kiro::kSpectrumPointCount - 1, ',');
    for (std::size_t i = 1; i + 1 < steeringSize && i < 64; i += 2) {
        const std::size_t point = (static_cast<std::size_t>(steering[i]) << 8 | steering[i + 1]) %
                                  kiro::kSpectrumPointCount;
        CheckLine(fromBytes, point, i % 4 == 1 ? '\t' : ',');
    }
    if (steeringSize > 0 && steering[0] % 2 == 1) {
        CheckSpcFile(fromBytes, data);
    }
    return 0;
}
