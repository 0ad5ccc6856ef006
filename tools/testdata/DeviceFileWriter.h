#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kiro::testdata {

// Writes device spectrum files the way the handheld does. Only tests, benchmarks
// and demos use this: the program itself never writes such a file.
struct SpectrumFixture {
    std::uint32_t magic = 0xA8B356FCu;
    std::uint32_t version = 1;
    std::uint32_t spectrumRole = 0;
    float wlCoef1 = 0.0f;
    float wlCoef2 = 0.0f;
    float wlCoef3 = 0.0f;
    float wlIntercept = 0.0f;
    std::uint32_t dataMode = 0;
    std::uint16_t integrationTimeMs = 100;
    std::uint16_t spectraAveraged = 1;
    std::uint16_t boxcarSmoothing = 0;
    std::uint32_t referenceChannel = 0;
    std::array<float, 2048> values{};

    std::vector<unsigned char> Bytes() const;
    void WriteTo(const std::filesystem::path& path) const;
};

// A typical calibration of a 2048-pixel handheld: about 340 to 1000 nm.
SpectrumFixture WithTypicalCalibration(SpectrumFixture fixture);

// Realistic spectra, deterministic for a given seed: what each kind holds, as the handheld
// measures it through a 1 cm cuvette of water as the blank.
SpectrumFixture MakeLampSpectrum(unsigned seed = 1);       // the lamp straight into the handheld
SpectrumFixture MakeDarkSpectrum(unsigned seed = 2);       // the detector's offset, lamp shut
SpectrumFixture MakeReferenceSpectrum(unsigned seed = 3);  // the lamp through the blank
// A dye mix against the blank; concentration 1 is 0.1 mM.
SpectrumFixture MakeAbsorbanceSpectrum(unsigned seed = 4, double concentration = 1.0);
SpectrumFixture MakeTransmissionSpectrum(unsigned seed = 5);  // the dye mix, in percent
SpectrumFixture MakeNoiseSpectrum(unsigned seed = 6);         // one 5 ms look at the lamp
// A leaf in the light path; a green one has chlorophyll 1, a yellowing one less.
SpectrumFixture MakeSampleSpectrum(unsigned seed, double chlorophyll, double carotenoids);
SpectrumFixture MakeBackgroundSpectrum(unsigned seed = 7);      // room light, lamp shut
SpectrumFixture MakeBackgroundDarkSpectrum(unsigned seed = 8);  // a long dark

// Writes the demo set of samples (one file per kind of spectrum) into a folder;
// returns the names written.
std::vector<std::string> WriteSampleSpectra(const std::filesystem::path& folder);

}  // namespace kiro::testdata
