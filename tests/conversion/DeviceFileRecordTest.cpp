#include "conversion/DeviceFileRecord.h"

#include <gtest/gtest.h>

#include <sstream>

#include "testdata/DeviceFileWriter.h"

namespace kiro {
namespace {

using testdata::SpectrumFixture;

SpectrumLoadResult LoadBytes(const std::vector<unsigned char>& bytes, CDeviceSpectrum& spectrum) {
    std::istringstream stream(std::string(bytes.begin(), bytes.end()));
    return spectrum.Load(stream);
}

SpectrumFixture SampleFixture() {
    SpectrumFixture fixture = testdata::MakeAbsorbanceSpectrum();
    fixture.integrationTimeMs = 65535;
    fixture.spectraAveraged = 7;
    fixture.boxcarSmoothing = 3;
    fixture.referenceChannel = 1;
    return fixture;
}

// Reserved bytes and bytes after the values are skipped, whatever they hold.
TEST(DeviceSpectrumLoad, ReadsEveryFieldAndSkipsReservedAndTrailingBytes) {
    const SpectrumFixture fixture = SampleFixture();
    std::vector<unsigned char> bytes = fixture.Bytes();
    ASSERT_EQ(bytes.size(), 8254u);
    for (std::size_t at : {38u, 39u, 40u, 41u, 46u, 50u, 61u}) {
        bytes[at] = 0xEE;
    }
    bytes.insert(bytes.end(), {1, 2, 3, 4, 5});
    CDeviceSpectrum spectrum;
    ASSERT_EQ(LoadBytes(bytes, spectrum), SpectrumLoadResult::Loaded);
    EXPECT_EQ(spectrum.version, 1u);
    EXPECT_EQ(spectrum.spectrumRole, 3u);
    EXPECT_EQ(spectrum.dataMode, 1u);
    EXPECT_EQ(spectrum.wlIntercept, fixture.wlIntercept);
    EXPECT_EQ(spectrum.wlCoef1, fixture.wlCoef1);
    EXPECT_EQ(spectrum.wlCoef2, fixture.wlCoef2);
    EXPECT_EQ(spectrum.wlCoef3, fixture.wlCoef3);
    EXPECT_EQ(spectrum.integrationTimeMs, 65535);
    EXPECT_EQ(spectrum.spectraAveraged, 7);
    EXPECT_EQ(spectrum.boxcarSmoothing, 3);
    EXPECT_EQ(spectrum.referenceChannel, 1u);
    EXPECT_EQ(spectrum.values, fixture.values);
}

TEST(DeviceSpectrumLoad, RejectsWrongMagicOtherVersionsAndShortFiles) {
    SpectrumFixture fixture = SampleFixture();
    fixture.magic = 0xFC56B3A8u;  // the right bytes in the wrong order
    CDeviceSpectrum spectrum;
    EXPECT_EQ(LoadBytes(fixture.Bytes(), spectrum), SpectrumLoadResult::NotDeviceSpectrum);
    for (std::uint32_t version : {0u, 2u, 0xFFFFFFFFu}) {
        fixture = SampleFixture();
        fixture.version = version;
        EXPECT_EQ(LoadBytes(fixture.Bytes(), spectrum), SpectrumLoadResult::UnknownVersion)
            << version;
    }
    // Never values invented for a file cut anywhere.
    const std::vector<unsigned char> whole = SampleFixture().Bytes();
    for (long size : {0, 3, 4, 7, 8, 61, 62, 63, 8253}) {
        EXPECT_EQ(LoadBytes({whole.begin(), whole.begin() + size}, spectrum),
                  SpectrumLoadResult::Truncated)
            << size;
    }
}

// The order of the rounding steps decides the last digit of some printed wavelengths.
TEST(DeviceSpectrumWavelength, SumsTheCalibrationHighestOrderFirst) {
    CDeviceSpectrum cubic;
    cubic.wlIntercept = 339.8271f;
    cubic.wlCoef1 = 0.3712846f;
    cubic.wlCoef2 = -1.673e-5f;
    cubic.wlCoef3 = -1.052e-9f;
    const double x = 1500.0;
    const double sum = static_cast<double>(cubic.wlCoef3) * (x * x * x) +
                       static_cast<double>(cubic.wlCoef2) * (x * x) +
                       static_cast<double>(cubic.wlCoef1) * x +
                       static_cast<double>(cubic.wlIntercept);
    EXPECT_EQ(cubic.WavelengthAt(1500), sum);
}

}  // namespace
}  // namespace kiro
