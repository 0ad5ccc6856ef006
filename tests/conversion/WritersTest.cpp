#include <gtest/gtest.h>

#include <bit>
#include <cstring>

#include "conversion/DelimitedAsciiWriter.h"
#include "conversion/KiroBenchWriter.h"
#include "conversion/SpcWriter.h"
#include "support/TempDir.h"
#include "testdata/DeviceFileWriter.h"

namespace kiro {
namespace {

using test::CTempDir;
using test::ReadFileBytes;

CDeviceSpectrum Loaded(const testdata::SpectrumFixture& fixture) {
    const std::vector<unsigned char> bytes = fixture.Bytes();
    CDeviceSpectrum spectrum;
    EXPECT_EQ(spectrum.Load(bytes.data(), bytes.size()), SpectrumLoadResult::Loaded);
    return spectrum;
}

std::vector<std::string> SplitCrLfLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::size_t CountChar(const std::string& text, char c) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), c));
}

const std::tm kDecember5 = MakeLocalTime(2026, 12, 5, 14, 37, 2);

TEST(DelimitedAscii, WritesExactly2048CrLfLinesAndNothingElse) {
    CTempDir dir;
    const CDeviceSpectrum spectrum = Loaded(testdata::MakeLampSpectrum());
    ASSERT_EQ(WriteDelimitedAscii(spectrum, dir / "a.scope", '\t'), WriteResult::Written);
    const std::string text = ReadFileBytes(dir / "a.scope");
    EXPECT_EQ(CountChar(text, '\n'), 2048u);
    EXPECT_EQ(CountChar(text, '\r'), 2048u);
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    const std::vector<std::string> lines = SplitCrLfLines(text);
    ASSERT_EQ(lines.size(), 2048u);
    EXPECT_EQ(lines[0], "339.83\t524.389");

    ASSERT_EQ(WriteDelimitedAscii(spectrum, dir / "a.scope", ','), WriteResult::Written);
    const std::string comma = ReadFileBytes(dir / "a.scope");
    EXPECT_EQ(CountChar(comma, ','), 2048u);
    EXPECT_EQ(CountChar(comma, '\t'), 0u);
}

TEST(DelimitedAscii, ReportsAnOutputThatCannotBeCreated) {
    CTempDir dir;
    const CDeviceSpectrum spectrum = Loaded(testdata::MakeLampSpectrum());
    EXPECT_EQ(WriteDelimitedAscii(spectrum, dir / "missing/a.scope", '\t'),
              WriteResult::CannotCreate);
    std::filesystem::create_directory(dir / "folder.scope");
    EXPECT_EQ(WriteDelimitedAscii(spectrum, dir / "folder.scope", '\t'), WriteResult::CannotCreate);
    EXPECT_EQ(test::ListNames(dir.Path()), std::vector<std::string>{"folder.scope"});
}

TEST(KiroBench, WritesHeaderDataAndMarkers) {
    testdata::SpectrumFixture fixture = testdata::MakeLampSpectrum();
    fixture.integrationTimeMs = 100;
    fixture.spectraAveraged = 10;
    fixture.boxcarSmoothing = 0;
    fixture.referenceChannel = 1;
    const CDeviceSpectrum spectrum = Loaded(fixture);
    const std::tm time = MakeLocalTime(2026, 12, 5, 17, 54, 2);
    const std::string text = FormatKiroBenchFile(spectrum, time);
    const std::vector<std::string> lines = SplitCrLfLines(text);
    ASSERT_EQ(lines.size(), 2063u);
    EXPECT_EQ(CountChar(text, '\n'), 2063u);
    const std::vector<std::string> header = {
        "KiroBench Version 1.0.0.0 Data File",
        "++++++++++++++++++++++++++++++++++++",
        "Saturday, December 05, 2026, 17:54:02",
        "User: Kiro-SCAN Data File",
        "Spectrometer Serial Number: Kiro-SCAN",
        "Spectrometer Channel: Master",
        "Integration Time (msec): 100",
        "Spectra Averaged: 10",
        "Boxcar Smoothing: 0",
        "Correct for Electrical Dark: Disabled",
        "Time Normalized: Disabled",
        "Dual-beam Reference: Disabled",
        "Reference Channel: Master",
        ">>>>>Begin Spectral Data<<<<<",
    };
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 14), header);
    EXPECT_EQ(lines[2062], ">>>>>End Spectral Data<<<<<");
    // The data lines are those of the tab-delimited output, byte for byte.
    const std::string tab = FormatDelimitedAscii(spectrum, '\t');
    const std::size_t begin = text.find(">>>>>Begin Spectral Data<<<<<\r\n") + 31;
    EXPECT_EQ(text.substr(begin, tab.size()), tab);
}

TEST(KiroBench, PrintsSettingsAsUnsignedAndReferenceChannelByValue) {
    testdata::SpectrumFixture fixture = testdata::MakeDarkSpectrum();
    fixture.integrationTimeMs = 65535;
    fixture.spectraAveraged = 65535;
    fixture.boxcarSmoothing = 32768;
    for (std::uint32_t channel : {0u, 2u, 0xFFFFFFFFu}) {
        fixture.referenceChannel = channel;
        const std::vector<std::string> lines =
            SplitCrLfLines(FormatKiroBenchFile(Loaded(fixture), kDecember5));
        EXPECT_EQ(lines[6], "Integration Time (msec): 65535");
        EXPECT_EQ(lines[7], "Spectra Averaged: 65535");
        EXPECT_EQ(lines[8], "Boxcar Smoothing: 32768");
        EXPECT_EQ(lines[12], "Reference Channel: None") << channel;
    }
}

std::uint32_t U32At(const std::vector<unsigned char>& file, std::size_t at) {
    std::uint32_t value;
    std::memcpy(&value, file.data() + at, 4);
    return value;
}

double DoubleAt(const std::vector<unsigned char>& file, std::size_t at) {
    double value;
    std::memcpy(&value, file.data() + at, 8);
    return value;
}

std::vector<unsigned char> Bytes(std::initializer_list<int> values) {
    std::vector<unsigned char> bytes;
    for (int v : values) {
        bytes.push_back(static_cast<unsigned char>(v));
    }
    return bytes;
}

std::vector<unsigned char> Slice(const std::vector<unsigned char>& file, std::size_t at,
                                 std::size_t size) {
    return {file.begin() + static_cast<long>(at), file.begin() + static_cast<long>(at + size)};
}

TEST(Spc, LaysOutTheFixedHeader) {
    const std::vector<unsigned char> file =
        FormatSpcFile(Loaded(testdata::MakeLampSpectrum()), kDecember5);
    ASSERT_EQ(file.size(), 16928u);
    EXPECT_EQ(Slice(file, 0, 8), Bytes({0x80, 0x4B, 0x06, 0x80, 0x00, 0x08, 0x00, 0x00}));
    EXPECT_EQ(U32At(file, 24), 1u) << "fnsub counts the one subfile";
    EXPECT_EQ(file[28], 3);
    EXPECT_EQ(Slice(file, 45, 9), Bytes({'K', 'i', 'r', 'o', '-', 'S', 'C', 'A', 'N'}));
    EXPECT_EQ(file[54], 0);
    EXPECT_EQ(file[55], 0);
    const std::string comment(reinterpret_cast<const char*>(file.data() + 88), 33);
    EXPECT_EQ(comment, std::string("Corvane Tech Kiro-SCAN Data File") + '\0');
    EXPECT_EQ(file[8704], 0);
    EXPECT_EQ(file[8705], 0x80);
    // Everything not set is zero: fspare, fcatxt, the rest of fcmnt, the reserved tail.
    for (std::size_t at = 121; at < 512; ++at) {
        ASSERT_EQ(file[at], 0) << at;
    }
    for (std::size_t at = 8706; at < 8736; ++at) {
        ASSERT_EQ(file[at], 0) << at;
    }
}

TEST(Spc, PacksTheConversionDate) {
    const std::vector<unsigned char> file =
        FormatSpcFile(Loaded(testdata::MakeLampSpectrum()), kDecember5);
    EXPECT_EQ(Slice(file, 32, 4), Bytes({0xA5, 0x2B, 0xAC, 0x7E}));
}

TEST(Spc, ChoosesResolutionTextAndYUnitByRole) {
    const struct {
        std::uint32_t role;
        std::uint32_t mode;
        int yUnit;
        std::vector<unsigned char> fres;
    } cases[] = {
        {3, 1, 2, Bytes({0x30, 0x20, 0x50, 0x20, 0x41, 0, 0, 0, 0})},
        {0, 1, 4, Bytes({0x30, 0x20, 0x44, 0x20, 0x53, 0, 0, 0, 0})},
        {0, 9, 4, Bytes({0x30, 0x20, 0x44, 0x20, 0x53, 0, 0, 0, 0})},
        {1, 0, 4, Bytes({0x30, 0x20, 0x52, 0x20, 0x53, 0, 0, 0, 0})},
        {2, 0, 4, Bytes({0x30, 0x20, 0x53, 0x20, 0x53, 0, 0, 0, 0})},
        {3, 0, 4, Bytes({0x30, 0x20, 0x50, 0x20, 0x53, 0, 0, 0, 0})},
        {3, 2, 128, Bytes({0x30, 0x20, 0x50, 0x20, 0x54, 0, 0, 0, 0})},
        {3, 5, 0, Bytes({0x30, 0x20, 0, 0, 0, 0, 0, 0, 0})},
        {7, 1, 0, Bytes({0x30, 0x20, 0, 0, 0, 0, 0, 0, 0})},
    };
    for (const auto& c : cases) {
        testdata::SpectrumFixture fixture = testdata::MakeDarkSpectrum();
        fixture.spectrumRole = c.role;
        fixture.dataMode = c.mode;
        const std::vector<unsigned char> file = FormatSpcFile(Loaded(fixture), kDecember5);
        EXPECT_EQ(file[29], c.yUnit) << c.role << "/" << c.mode;
        EXPECT_EQ(Slice(file, 36, 9), c.fres) << c.role << "/" << c.mode;
    }
}

TEST(Spc, StoresWavelengthsAsFloatsAndValuesBitForBit) {
    testdata::SpectrumFixture fixture;
    fixture.wlIntercept = 200.0f;
    fixture.wlCoef1 = 0.5f;
    fixture.values[0] = -12.5f;
    fixture.values[1] = std::bit_cast<float>(0x7FC01234u);  // a NaN with a payload
    fixture.values[2] = std::bit_cast<float>(0xFF800001u);  // a signalling NaN
    fixture.values[2047] = -0.0f;
    const std::vector<unsigned char> deviceBytes = fixture.Bytes();
    const std::vector<unsigned char> file = FormatSpcFile(Loaded(fixture), kDecember5);
    EXPECT_EQ(DoubleAt(file, 8), 200.0);
    EXPECT_EQ(DoubleAt(file, 16), 1223.5);
    EXPECT_EQ(Slice(file, 8736, 8192), Slice(deviceBytes, 62, 8192));
    EXPECT_EQ(U32At(file, 512 + 4 * 1000), std::bit_cast<std::uint32_t>(700.0f));
}

TEST(Spc, FirstAndLastXAreTheStoredFloatsWidened) {
    const CDeviceSpectrum spectrum = Loaded(testdata::MakeLampSpectrum());
    const std::vector<unsigned char> file = FormatSpcFile(spectrum, kDecember5);
    float first;
    float last;
    std::memcpy(&first, file.data() + 512, 4);
    std::memcpy(&last, file.data() + 512 + 4 * 2047, 4);
    EXPECT_EQ(DoubleAt(file, 8), static_cast<double>(first));
    EXPECT_EQ(DoubleAt(file, 16), static_cast<double>(last));
    EXPECT_NE(DoubleAt(file, 16), spectrum.WavelengthAt(2047));
}

TEST(Spc, WritesTheWholeFileInPlace) {
    CTempDir dir;
    const CFixedClock clock(kDecember5);
    const CDeviceSpectrum spectrum = Loaded(testdata::MakeLampSpectrum());
    ASSERT_EQ(WriteSpcFile(spectrum, dir / "a.scope.spc", clock), WriteResult::Written);
    const std::string bytes = ReadFileBytes(dir / "a.scope.spc");
    const std::vector<unsigned char> expected = FormatSpcFile(spectrum, kDecember5);
    EXPECT_EQ(bytes, std::string(expected.begin(), expected.end()));
    EXPECT_EQ(test::ListNames(dir.Path()), std::vector<std::string>{"a.scope.spc"});
}

}  // namespace
}  // namespace kiro
