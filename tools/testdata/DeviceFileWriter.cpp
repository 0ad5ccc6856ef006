#include "testdata/DeviceFileWriter.h"

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

// A tungsten-halogen lamp seen through a silicon detector: a broad hump.
double LampShape(double nm) {
    return 3200.0 * Gaussian(nm, 640.0, 150.0) + 600.0 * Gaussian(nm, 820.0, 90.0);
}

SpectrumFixture Fill(SpectrumFixture s, unsigned seed, double (*shape)(double), double noise) {
    CNoise random(seed);
    for (std::size_t i = 0; i < s.values.size(); ++i) {
        s.values[i] = static_cast<float>(shape(WavelengthOf(s, i)) + noise * random.Next());
    }
    return s;
}

double DarkShape(double) {
    return 92.0;
}
double LampAboveDark(double nm) {
    return 92.0 + LampShape(nm);
}
double AbsorbanceShape(double nm) {
    return 0.02 + 0.85 * Gaussian(nm, 430.0, 18.0) + 0.42 * Gaussian(nm, 515.0, 25.0) +
           0.63 * Gaussian(nm, 662.0, 12.0) + 0.18 * Gaussian(nm, 760.0, 40.0);
}
double TransmissionShape(double nm) {
    return 100.0 * std::pow(10.0, -AbsorbanceShape(nm));
}
double Flat(double) {
    return 0.0;
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
    return Fill(s, seed, LampAboveDark, 6.0);
}

SpectrumFixture MakeDarkSpectrum(unsigned seed) {
    return Fill(Measured(0), seed, DarkShape, 4.0);
}

SpectrumFixture MakeReferenceSpectrum(unsigned seed) {
    SpectrumFixture s = Measured(1);
    s.referenceChannel = 1;
    return Fill(s, seed, LampAboveDark, 6.0);
}

SpectrumFixture MakeAbsorbanceSpectrum(unsigned seed) {
    SpectrumFixture s = Measured(3, 1);
    s.boxcarSmoothing = 3;
    s.referenceChannel = 1;
    return Fill(s, seed, AbsorbanceShape, 0.004);
}

SpectrumFixture MakeTransmissionSpectrum(unsigned seed) {
    SpectrumFixture s = Measured(3, 2);
    s.referenceChannel = 1;
    return Fill(s, seed, TransmissionShape, 0.3);
}

SpectrumFixture MakeNoiseSpectrum(unsigned seed) {
    SpectrumFixture s = Measured(2);
    s.integrationTimeMs = 5;
    s.spectraAveraged = 1;
    return Fill(s, seed, Flat, 25.0);
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
