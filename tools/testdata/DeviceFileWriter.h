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

// Realistic spectra, deterministic for a given seed.
SpectrumFixture MakeLampSpectrum(unsigned seed = 1);
SpectrumFixture MakeDarkSpectrum(unsigned seed = 2);
SpectrumFixture MakeReferenceSpectrum(unsigned seed = 3);
SpectrumFixture MakeAbsorbanceSpectrum(unsigned seed = 4);
SpectrumFixture MakeTransmissionSpectrum(unsigned seed = 5);
SpectrumFixture MakeNoiseSpectrum(unsigned seed = 6);

// Writes the demo set of samples (one file per kind of spectrum) into a folder;
// returns the names written.
std::vector<std::string> WriteSampleSpectra(const std::filesystem::path& folder);

}  // namespace kiro::testdata
