#include "testdata/DeviceFileWriter.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <fstream>
#include <stdexcept>

namespace kiro::testdata {
namespace {

void PutU32(std::vector<unsigned char>& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + static_cast<std::size_t>(i)] = static_cast<unsigned char>(value >> (8 * i));
    }
}

void PutU16(std::vector<unsigned char>& bytes, std::size_t at, std::uint16_t value) {
    bytes[at] = static_cast<unsigned char>(value);
    bytes[at + 1] = static_cast<unsigned char>(value >> 8);
}

void PutFloat(std::vector<unsigned char>& bytes, std::size_t at, float value) {
    PutU32(bytes, at, std::bit_cast<std::uint32_t>(value));
}

// A small deterministic generator, so that samples are the same on every machine.
class CNoise {
public:
    explicit CNoise(unsigned seed) : m_state(seed * 2654435761u + 12345u) {}
    // Roughly normal, mean 0, deviation 1.
    double Next() {
        double sum = 0.0;
        for (int i = 0; i < 12; ++i) {
            m_state = m_state * 1664525u + 1013904223u;
            sum += static_cast<double>(m_state >> 8) / static_cast<double>(1u << 24);
        }
        return sum - 6.0;
    }

private:
    std::uint32_t m_state;
};

double WavelengthOf(const SpectrumFixture& s, std::size_t i) {
    const double x = static_cast<double>(i);
    return s.wlIntercept + s.wlCoef1 * x + s.wlCoef2 * x * x + s.wlCoef3 * x * x * x;
}

double Gaussian(double x, double centre, double width) {
    const double d = (x - centre) / width;
    return std::exp(-0.5 * d * d);
}

double Logistic(double x, double middle, double width) {
    return 1.0 / (1.0 + std::exp(-(x - middle) / width));
}

// Fills the values with shape(nm) plus noise of deviation sigma(nm).
template <typename Shape, typename Sigma>
SpectrumFixture Fill(SpectrumFixture s, unsigned seed, Shape shape, Sigma sigma) {
    CNoise random(seed);
    for (std::size_t i = 0; i < s.values.size(); ++i) {
        const double nm = WavelengthOf(s, i);
        s.values[i] = static_cast<float>(shape(nm) + sigma(nm) * random.Next());
    }
    return s;
}

// The detector's offset with the light off, in counts, and its read noise.
constexpr double kDarkLevel = 92.0;
constexpr double kReadNoise = 4.0;
// The lamp's brightest pixel above the dark at the usual settings.
constexpr double kLampPeakCounts = 3300.0;

// Counts that light raises above the dark carry shot noise besides the read noise.
double CountsSigma(double countsAboveDark) {
    return std::sqrt(kReadNoise * kReadNoise + std::max(countsAboveDark, 0.0) / 25.0);
}

// Fills the values with detector counts: the dark level, what light raises above it,
// and the noise of both, scaled for fewer spectra averaged.
template <typename Above>
SpectrumFixture FillCounts(SpectrumFixture s, unsigned seed, Above above, double noiseScale = 1.0) {
    return Fill(
        s, seed, [&](double nm) { return kDarkLevel + above(nm); },
        [&](double nm) { return noiseScale * CountsSigma(above(nm)); });
}

// A silicon detector's response: blind below about 350 nm, fading out past 900 nm.
double SiliconResponse(double nm) {
    return Logistic(nm, 420.0, 35.0) * (1.0 - Logistic(nm, 870.0, 55.0));
}

// A black body at the filament's 2900 K, by Planck's law, in arbitrary units.
double Planck2900K(double nm) {
    constexpr double kSecondRadiationConstant = 1.4388e7;  // nm K
    return std::pow(nm / 1000.0, -5.0) / std::expm1(kSecondRadiationConstant / (nm * 2900.0));
}

// A tungsten-halogen lamp seen by the handheld: a broad hump that rises slowly from the
// blue, peaks in the deep red and falls off in the near infrared; 1 at its peak.
double LampShape(double nm) {
    static const double peak = [] {
        double highest = 0.0;
        for (double at = 300.0; at <= 1100.0; at += 0.5) {
            highest = std::max(highest, Planck2900K(at) * SiliconResponse(at));
        }
        return highest;
    }();
    return Planck2900K(nm) * SiliconResponse(nm) / peak;
}

// A 1 cm plastic cuvette of water, the blank of every measurement: the plastic cuts the
// near ultraviolet off, water absorbs in the near infrared.
double BlankTransmittance(double nm) {
    const double waterAbsorbance = 0.19 * Gaussian(nm, 972.0, 22.0) +
                                   0.025 * Gaussian(nm, 840.0, 18.0) +
                                   0.012 * Gaussian(nm, 745.0, 15.0);
    return 0.82 * Logistic(nm, 378.0, 7.0) * std::pow(10.0, -waterAbsorbance);
}

// Counts above the dark of the lamp through the blank.
double ThroughBlank(double nm) {
    return kLampPeakCounts * LampShape(nm) * BlankTransmittance(nm);
}

// The dye mix, 0.1 mM: a yellow (427 nm), a red (504 nm) and a blue with its shoulder
// (630 and 585 nm), on the rise of every dye towards the ultraviolet.
double DyeMixAbsorbance(double nm) {
    return 0.012 + 0.55 * Gaussian(nm, 427.0, 36.0) + 0.40 * Gaussian(nm, 504.0, 38.0) +
           0.78 * Gaussian(nm, 630.0, 21.0) + 0.21 * Gaussian(nm, 585.0, 19.0) +
           0.30 * std::exp(-(nm - 340.0) / 22.0);
}

// Absorbance is a ratio of counts, ten spectra averaged: where little light gets through it
// is noisy, capped so that the dim ends do not swamp a plot of the bands.
double AbsorbanceSigma(double nm, double absorbance) {
    const double sample = std::max(ThroughBlank(nm) * std::pow(10.0, -absorbance), 1.0);
    return std::min(0.4343 * CountsSigma(sample) / sample / std::sqrt(10.0), 0.03);
}

// A leaf held in the light path: chlorophyll absorbs the blue and the red, carotenoids the
// blue-green; green light and, past the red edge at 700 nm, the near infrared pass. A
// greener leaf is also a thicker one.
double LeafAbsorbance(double nm, double chlorophyll, double carotenoids) {
    return 0.26 + 0.1 * chlorophyll + 0.35 * (1.0 - Logistic(nm, 705.0, 12.0)) +
           chlorophyll * (1.3 * Gaussian(nm, 440.0, 28.0) + 1.1 * Gaussian(nm, 672.0, 15.0) +
                          0.45 * Gaussian(nm, 615.0, 35.0)) +
           carotenoids * 0.9 * Gaussian(nm, 485.0, 22.0);
}

// The room's fluorescent lights reaching the cuvette holder with the lamp shut: mercury and
// phosphor lines on a faint continuum.
double RoomLightCounts(double nm) {
    struct Line {
        double nm;
        double counts;
    };
    static constexpr Line kLines[] = {{404.7, 70.0},  {435.8, 260.0}, {487.7, 90.0}, {542.4, 150.0},
                                      {546.1, 330.0}, {577.0, 35.0},  {579.1, 35.0}, {587.6, 45.0},
                                      {611.6, 290.0}, {631.0, 40.0},  {650.0, 25.0}, {707.7, 30.0}};
    double counts = 12.0 * Gaussian(nm, 560.0, 70.0);
    for (const Line& line : kLines) {
        counts += line.counts * Gaussian(nm, line.nm, 0.7);
    }
    return counts * SiliconResponse(nm);
}

}  // namespace

std::vector<unsigned char> SpectrumFixture::Bytes() const {
    std::vector<unsigned char> bytes(62 + 4 * values.size(), 0);
    PutU32(bytes, 0, magic);
    PutU32(bytes, 4, version);
    PutU32(bytes, 8, spectrumRole);
    PutFloat(bytes, 12, wlCoef1);
    PutFloat(bytes, 16, wlCoef2);
    PutFloat(bytes, 20, wlCoef3);
    PutFloat(bytes, 24, wlIntercept);
    PutU32(bytes, 28, dataMode);
    PutU16(bytes, 32, integrationTimeMs);
    PutU16(bytes, 34, spectraAveraged);
    PutU16(bytes, 36, boxcarSmoothing);
    PutU32(bytes, 42, referenceChannel);
    for (std::size_t i = 0; i < values.size(); ++i) {
        PutFloat(bytes, 62 + 4 * i, values[i]);
    }
    return bytes;
}

void SpectrumFixture::WriteTo(const std::filesystem::path& path) const {
    const std::vector<unsigned char> bytes = Bytes();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

SpectrumFixture WithTypicalCalibration(SpectrumFixture fixture) {
    fixture.wlIntercept = 339.8271f;
    fixture.wlCoef1 = 0.3712846f;
    fixture.wlCoef2 = -1.673e-5f;
    fixture.wlCoef3 = -1.052e-9f;
    return fixture;
}

namespace {

// A calibrated spectrum of the given role, measured with the usual settings.
SpectrumFixture Measured(std::uint32_t role, std::uint32_t dataMode = 0) {
    SpectrumFixture s = WithTypicalCalibration({});
    s.spectrumRole = role;
    s.dataMode = dataMode;
    s.integrationTimeMs = 120;
    s.spectraAveraged = 10;
    return s;
}

}  // namespace

SpectrumFixture MakeLampSpectrum(unsigned seed) {
    SpectrumFixture s = Measured(2);
    s.boxcarSmoothing = 2;
    return FillCounts(s, seed, [](double nm) { return kLampPeakCounts * LampShape(nm); });
}

SpectrumFixture MakeDarkSpectrum(unsigned seed) {
    return FillCounts(Measured(0), seed, [](double) { return 0.0; });
}

SpectrumFixture MakeReferenceSpectrum(unsigned seed) {
    SpectrumFixture s = Measured(1);
    s.referenceChannel = 1;
    return FillCounts(s, seed, ThroughBlank);
}

SpectrumFixture MakeAbsorbanceSpectrum(unsigned seed, double concentration) {
    SpectrumFixture s = Measured(3, 1);
    s.boxcarSmoothing = 3;
    s.referenceChannel = 1;
    const auto absorbance = [concentration](double nm) {
        return concentration * DyeMixAbsorbance(nm);
    };
    return Fill(s, seed, absorbance,
                [&](double nm) { return AbsorbanceSigma(nm, absorbance(nm)); });
}

SpectrumFixture MakeTransmissionSpectrum(unsigned seed) {
    SpectrumFixture s = Measured(3, 2);
    s.referenceChannel = 1;
    const auto percent = [](double nm) { return 100.0 * std::pow(10.0, -DyeMixAbsorbance(nm)); };
    return Fill(s, seed, percent, [&](double nm) {
        return std::log(10.0) * percent(nm) * AbsorbanceSigma(nm, DyeMixAbsorbance(nm));
    });
}

SpectrumFixture MakeNoiseSpectrum(unsigned seed) {
    // One quick look at the lamp: 5 ms, nothing averaged, so the noise of ten times as many.
    SpectrumFixture s = Measured(2);
    s.integrationTimeMs = 5;
    s.spectraAveraged = 1;
    return FillCounts(
        s, seed, [](double nm) { return kLampPeakCounts * LampShape(nm) * 5.0 / 120.0; },
        std::sqrt(10.0));
}

SpectrumFixture MakeSampleSpectrum(unsigned seed, double chlorophyll, double carotenoids) {
    SpectrumFixture s = Measured(2);
    s.referenceChannel = 1;
    return FillCounts(s, seed, [=](double nm) {
        return ThroughBlank(nm) * std::pow(10.0, -LeafAbsorbance(nm, chlorophyll, carotenoids));
    });
}

SpectrumFixture MakeBackgroundSpectrum(unsigned seed) {
    return FillCounts(Measured(0), seed, RoomLightCounts);
}

SpectrumFixture MakeBackgroundDarkSpectrum(unsigned seed) {
    // A long dark: the detector's warm end adds a few counts.
    SpectrumFixture s = Measured(0);
    s.integrationTimeMs = 500;
    s.spectraAveraged = 3;
    return FillCounts(s, seed, [](double nm) { return 6.0 + 9.0 * Logistic(nm, 900.0, 60.0); });
}

std::vector<std::string> WriteSampleSpectra(const std::filesystem::path& folder) {
    struct Sample {
        const char* name;
        SpectrumFixture fixture;
    };
    const Sample samples[] = {
        {"lamp.scope_ks", MakeLampSpectrum()},
        {"dark.dark_ks", MakeDarkSpectrum()},
        {"reference.reference_ks", MakeReferenceSpectrum()},
        {"dye-mix.absorbance_ks", MakeAbsorbanceSpectrum()},
    };
    std::vector<std::string> names;
    for (const Sample& sample : samples) {
        sample.fixture.WriteTo(folder / sample.name);
        names.emplace_back(sample.name);
    }
    return names;
}

}  // namespace kiro::testdata
