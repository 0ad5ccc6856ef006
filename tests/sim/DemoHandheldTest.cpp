// The demo handheld as a newcomer meets it: every spectrum converts to an output of its own,
// and each looks like what its kind holds, so that an overlay tells them apart.
#include "sim/DemoHandheld.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>

#include "conversion/DeviceFileReader.h"
#include "conversion/OutputNaming.h"
#include "conversion/YUnits.h"
#include "support/TempDir.h"

namespace kiro {
namespace {

namespace fs = std::filesystem;

std::string Lowercase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The spectrum seen without its noise: the mean of each run of 32 points, with the
// wavelength in the middle of the run.
struct SmoothedSpectrum {
    std::string name;
    SpectrumYUnit unit;
    std::vector<std::pair<double, double>> points;  // wavelength, value

    double Highest() const {
        double highest = points.front().second;
        for (const auto& point : points) {
            highest = std::max(highest, point.second);
        }
        return highest;
    }
    double At(double nm) const {
        const auto nearest = std::min_element(points.begin(), points.end(), [nm](auto a, auto b) {
            return std::abs(a.first - nm) < std::abs(b.first - nm);
        });
        return nearest->second;
    }
};

SmoothedSpectrum Smoothed(const fs::path& path) {
    const SpectrumFileRead read = ReadSpectrumFile(path.string());
    EXPECT_TRUE(read.Loaded()) << path;
    SmoothedSpectrum smoothed{path.filename().string(), YUnitOf(read.spectrum), {}};
    constexpr std::size_t kRun = 32;
    for (std::size_t first = 0; first < kSpectrumPointCount; first += kRun) {
        double sum = 0.0;
        for (std::size_t i = first; i < first + kRun; ++i) {
            sum += read.spectrum.values[i];
        }
        smoothed.points.emplace_back(read.spectrum.WavelengthAt(first + kRun / 2),
                                     sum / static_cast<double>(kRun));
    }
    return smoothed;
}

class DemoHandheldTest : public ::testing::Test {
protected:
    void SetUp() override { sim::FillDemoHandheld(m_root.Path()); }

    // The spectra of one folder, by name.
    std::map<std::string, SmoothedSpectrum> SpectraIn(const std::string& folder) const {
        std::map<std::string, SmoothedSpectrum> spectra;
        for (const auto& entry : fs::directory_iterator(m_root.Path() / folder)) {
            const std::string path = entry.path().string();
            if (entry.is_regular_file() && OutputPathFor(path, OutputFormat::Tab)) {
                spectra.emplace(entry.path().filename().string(), Smoothed(entry.path()));
            }
        }
        return spectra;
    }

    test::CTempDir m_root;
};

// Background, background dark and sample kinds all give ".scope": a demo folder converts
// without one output standing in another's way, on a file system that ignores case too.
TEST_F(DemoHandheldTest, EverySpectrumConvertsToAnOutputOfItsOwnInEveryFormat) {
    std::size_t spectra = 0;
    for (const auto& entry : fs::recursive_directory_iterator(m_root.Path())) {
        if (!entry.is_directory()) {
            continue;
        }
        for (const OutputFormatRow& row : OutputFormats()) {
            const OutputFormat format = row.format;
            std::map<std::string, std::string> sourceOf;
            for (const auto& file : fs::directory_iterator(entry.path())) {
                const std::optional<std::string> output =
                    OutputPathFor(file.path().string(), format);
                if (!output) {
                    continue;
                }
                spectra += format == OutputFormat::Tab ? 1 : 0;
                const auto [taken, fresh] =
                    sourceOf.emplace(Lowercase(*output), file.path().filename().string());
                EXPECT_TRUE(fresh) << file.path().filename() << " and " << taken->second
                                   << " both give " << *output;
                EXPECT_FALSE(fs::exists(*output)) << *output << " is a demo file";
            }
        }
    }
    EXPECT_GE(spectra, 15u);
}

TEST_F(DemoHandheldTest, EachSpectrumLooksLikeWhatItsKindHoldsAndNoTwoLookAlike) {
    const auto spectra = SpectraIn("My Documents");
    const SmoothedSpectrum& lamp = spectra.at("lamp.scope_ks");
    const SmoothedSpectrum& dark = spectra.at("dark.dark_ks");
    const SmoothedSpectrum& absorbance = spectra.at("dye-mix.absorbance_ks");
    const double darkLevel = dark.At(600.0);

    // The lamp: a broad emission, weak in the blue, bright over hundreds of nanometres.
    const double lampPeak = lamp.Highest() - darkLevel;
    EXPECT_GT(lampPeak, 20 * darkLevel);
    EXPECT_LT(lamp.At(380.0) - darkLevel, 0.1 * lampPeak);
    std::vector<double> bright;
    for (const auto& [nm, counts] : lamp.points) {
        if (counts - darkLevel > lampPeak / 2) {
            bright.push_back(nm);
        }
    }
    EXPECT_GT(bright.back() - bright.front(), 250.0) << "bright from " << bright.front();
    // The dark: low and flat.
    EXPECT_LT(dark.Highest() - darkLevel, 5.0);
    // The reference: the lamp's light through the blank, nearly as bright as the lamp.
    EXPECT_GT(spectra.at("reference.reference_ks").Highest() - darkLevel, 0.5 * lampPeak);
    // The absorbance: bands in the visible, clear past them.
    int bands = 0;
    for (std::size_t i = 1; i + 1 < absorbance.points.size(); ++i) {
        const double here = absorbance.points[i].second;
        bands += here > 0.3 && here > absorbance.points[i - 1].second &&
                 here >= absorbance.points[i + 1].second;
    }
    EXPECT_GE(bands, 2);
    EXPECT_LT(absorbance.At(800.0), 0.05);

    // Any two spectra of one unit in a folder, the fading series too, differ by far more
    // than their noise somewhere, so that an overlay shows each.
    for (const auto& folder : {spectra, SpectraIn("My Documents/Series/2026-12-05")}) {
        for (const auto& [name, spectrum] : folder) {
            for (const auto& [otherName, other] : folder) {
                if (name >= otherName || spectrum.unit != other.unit) {
                    continue;
                }
                double widest = 0.0;
                for (std::size_t i = 0; i < spectrum.points.size(); ++i) {
                    widest = std::max(widest,
                                      std::abs(spectrum.points[i].second - other.points[i].second));
                }
                const double scale = std::max(spectrum.Highest(), other.Highest());
                EXPECT_GT(widest, 0.05 * scale) << name << " looks like " << otherName;
            }
        }
    }
}

}  // namespace
}  // namespace kiro
