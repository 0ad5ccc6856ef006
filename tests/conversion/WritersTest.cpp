#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <tuple>

#include "conversion/DelimitedAsciiWriter.h"
#include "conversion/JcampWriter.h"
#include "conversion/KiroBenchWriter.h"
#include "conversion/LineFormatter.h"
#include "conversion/SpcWriter.h"
#include "platform/Clock.h"
#include "platform/DisplayText.h"
#include "readers/JcampReader.h"
#include "testdata/DeviceFileWriter.h"

namespace kiro {
namespace {

CDeviceSpectrum Loaded(const testdata::SpectrumFixture& fixture) {
    const std::vector<unsigned char> bytes = fixture.Bytes();
    CDeviceSpectrum spectrum;
    EXPECT_EQ(spectrum.Load(bytes.data(), bytes.size()), SpectrumLoadResult::Loaded);
    return spectrum;
}

std::vector<std::string> SplitCrLfLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end = text.find("\r\n"); end != std::string::npos;
         end = text.find("\r\n", start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    if (start < text.size()) {
        lines.push_back(text.substr(start));
    }
    return lines;
}

template <typename T>
T ValueAt(const std::vector<unsigned char>& file, std::size_t at) {
    T value;
    std::memcpy(&value, file.data() + at, sizeof value);
    return value;
}

std::vector<unsigned char> Slice(const std::vector<unsigned char>& file, std::size_t at,
                                 std::size_t size) {
    return {file.begin() + static_cast<long>(at), file.begin() + static_cast<long>(at + size)};
}

const std::tm kDecember5 = MakeLocalTime(2026, 12, 5, 14, 37, 2);

// The wavelength column is made once per calibration and reused; spectra with other
// calibrations, taken in turn, must each get their own. Each is 2048 CR LF lines.
TEST(DelimitedAscii, EachCalibrationGetsItsOwnWavelengthsWhenSpectraAlternate) {
    const testdata::SpectrumFixture lamp = testdata::MakeLampSpectrum();
    testdata::SpectrumFixture shifted = testdata::MakeLampSpectrum();
    shifted.wlIntercept += 0.25f;
    testdata::SpectrumFixture negativeZero;
    negativeZero.wlIntercept = -0.0f;
    testdata::SpectrumFixture huge = testdata::MakeLampSpectrum();
    huge.wlCoef3 = 3e38f;
    const testdata::SpectrumFixture zero;
    for (const testdata::SpectrumFixture* fixture :
         std::initializer_list<const testdata::SpectrumFixture*>{
             &lamp, &shifted, &lamp, &negativeZero, &zero, &huge, &lamp}) {
        const CDeviceSpectrum spectrum = Loaded(*fixture);
        std::string lineByLine;
        for (std::size_t i = 0; i < kSpectrumPointCount; ++i) {
            AppendSpectrumLine(lineByLine, spectrum, i, ',');
        }
        ASSERT_TRUE(FormatDelimitedAscii(spectrum, ',') == lineByLine)
            << "intercept " << fixture->wlIntercept << ", third order " << fixture->wlCoef3;
    }
    for (const char separator : {'\t', ','}) {
        const std::string text = FormatDelimitedAscii(Loaded(lamp), separator);
        const std::vector<std::string> lines = SplitCrLfLines(text);
        ASSERT_EQ(lines.size(), 2048u);
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2048);
        EXPECT_EQ(std::count(text.begin(), text.end(), separator), 2048);
        EXPECT_TRUE(text.ends_with("\r\n"));
        EXPECT_EQ(lines[0], std::string("339.83") + separator + "98.216");
    }
}

TEST(KiroBench, WritesHeaderSettingsDataAndMarkers) {
    testdata::SpectrumFixture fixture = testdata::MakeLampSpectrum();
    fixture.integrationTimeMs = 65535;
    fixture.spectraAveraged = 65535;
    fixture.boxcarSmoothing = 32768;
    for (std::uint32_t channel : {1u, 0u, 2u, 0xFFFFFFFFu}) {
        fixture.referenceChannel = channel;
        const CDeviceSpectrum spectrum = Loaded(fixture);
        const std::string text = FormatKiroBenchFile(spectrum, kDecember5);
        const std::vector<std::string> lines = SplitCrLfLines(text);
        ASSERT_EQ(lines.size(), 2063u);
        EXPECT_EQ(lines[2], "Saturday, December 05, 2026, 14:37:02");
        // Settings print as unsigned; only channel 1 has a name.
        EXPECT_EQ(lines[6], "Integration Time (msec): 65535");
        EXPECT_EQ(lines[7], "Spectra Averaged: 65535");
        EXPECT_EQ(lines[8], "Boxcar Smoothing: 32768");
        EXPECT_EQ(lines[12], channel == 1 ? "Reference Channel: Master" : "Reference Channel: None")
            << channel;
        EXPECT_EQ(lines[13], ">>>>>Begin Spectral Data<<<<<");
        EXPECT_EQ(lines[2062], ">>>>>End Spectral Data<<<<<");
        // The data lines are those of the tab-delimited output, byte for byte.
        const std::string tab = FormatDelimitedAscii(spectrum, '\t');
        const std::size_t begin = text.find(">>>>>Begin Spectral Data<<<<<\r\n") + 31;
        EXPECT_EQ(text.substr(begin, tab.size()), tab);
    }
}

TEST(Spc, LaysOutTheHeaderWithTheConversionDateAndZeroesTheRest) {
    const std::vector<unsigned char> file =
        FormatSpcFile(Loaded(testdata::MakeLampSpectrum()), kDecember5);
    ASSERT_EQ(file.size(), 16928u);
    EXPECT_EQ(ValueAt<std::uint32_t>(file, 24), 1u) << "fnsub counts the one subfile";
    EXPECT_EQ(Slice(file, 32, 4), (std::vector<unsigned char>{0xA5, 0x2B, 0xAC, 0x7E}));
    const std::string comment(reinterpret_cast<const char*>(file.data() + 88), 33);
    EXPECT_EQ(comment, std::string("Corvane Tech Kiro-SCAN Data File") + '\0');
    // Everything not set is zero: fspare, fcatxt, the rest of fcmnt, the reserved tail.
    for (std::size_t at = 121; at < 512; ++at) {
        ASSERT_EQ(file[at], 0) << at;
    }
    for (std::size_t at = 8706; at < 8736; ++at) {
        ASSERT_EQ(file[at], 0) << at;
    }
    // The role picks the Y unit and resolution text: absorbance, and a role without them.
    for (const auto& [role, yUnit, fres] : {std::tuple{3u, 2, "0 P A"}, {7u, 0, "0 "}}) {
        testdata::SpectrumFixture fixture = testdata::MakeDarkSpectrum();
        fixture.spectrumRole = role;
        fixture.dataMode = 1;
        const std::vector<unsigned char> roleFile = FormatSpcFile(Loaded(fixture), kDecember5);
        std::vector<unsigned char> expected(9, 0);
        std::memcpy(expected.data(), fres, std::strlen(fres));
        EXPECT_EQ(roleFile[29], yUnit) << role;
        EXPECT_EQ(Slice(roleFile, 36, 9), expected) << role;
    }
}

// The values are the handheld's floats bit for bit, NaN payloads and signs included; the
// wavelengths, which the readers' tests check, are floats too.
TEST(Spc, StoresValuesBitForBit) {
    testdata::SpectrumFixture fixture;
    fixture.values[0] = -12.5f;
    fixture.values[1] = std::bit_cast<float>(0x7FC01234u);  // a NaN with a payload
    fixture.values[2] = std::bit_cast<float>(0xFF800001u);  // a signalling NaN
    fixture.values[2047] = -0.0f;
    const std::vector<unsigned char> file = FormatSpcFile(Loaded(fixture), kDecember5);
    EXPECT_EQ(Slice(file, 8736, 8192), Slice(fixture.Bytes(), 62, 8192));
}

// A JCAMP-DX file as a reader sees it: its labels in order, and the (XY..XY) points
// with "?" read as NaN. Anything it does not expect fails the test.
struct JcampFile {
    std::vector<std::pair<std::string, std::string>> labels;
    std::vector<double> x;
    std::vector<float> y;

    std::string Label(const std::string& name) const {
        for (const auto& [label, value] : labels) {
            if (label == name) {
                return value;
            }
        }
        ADD_FAILURE() << "no ##" << name;
        return {};
    }
};

template <typename Number>
Number ParseJcampNumber(const std::string& text) {
    if (text == "?") {
        return std::numeric_limits<Number>::quiet_NaN();
    }
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    EXPECT_TRUE(error == std::errc() && end == text.data() + text.size()) << '"' << text << '"';
    EXPECT_EQ(text.find('e'), std::string::npos) << "the exponent letter is E: " << text;
    return value;
}

JcampFile ParseJcamp(const std::string& text) {
    EXPECT_TRUE(text.ends_with("##END=\r\n"));
    JcampFile file;
    bool inPoints = false;
    for (const std::string& line : SplitCrLfLines(text)) {
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
        EXPECT_LE(line.size(), 80u) << line;
        if (line.starts_with("##")) {
            const std::size_t equals = line.find('=');
            EXPECT_NE(equals, std::string::npos) << line;
            file.labels.emplace_back(line.substr(2, equals - 2), line.substr(equals + 1));
            inPoints = line == "##XYPOINTS=(XY..XY)";
            continue;
        }
        if (!inPoints) {
            // A text goes on over further lines, which a reader joins as they stand.
            EXPECT_FALSE(file.labels.empty());
            file.labels.back().second += line;
            continue;
        }
        const std::size_t comma = line.find(", ");
        file.x.push_back(ParseJcampNumber<double>(line.substr(0, comma)));
        file.y.push_back(ParseJcampNumber<float>(line.substr(comma + 2)));
    }
    return file;
}

// Equal as written: the same bits, or both a missing value.
template <typename Number>
bool SameOrBothMissing(Number read, Number source) {
    return std::isfinite(source) ? read == source && std::signbit(read) == std::signbit(source)
                                 : std::isnan(read);
}

TEST(Jcamp, EveryPointReadsBackExactlyWhateverTheValues) {
    testdata::SpectrumFixture damaged = testdata::MakeAbsorbanceSpectrum();
    const float specials[] = {std::numeric_limits<float>::quiet_NaN(),
                              std::numeric_limits<float>::infinity(),
                              -std::numeric_limits<float>::infinity(),
                              std::numeric_limits<float>::max(),
                              -std::numeric_limits<float>::max(),
                              std::numeric_limits<float>::denorm_min(),
                              -0.0f,
                              -1234.5678f,
                              1e-30f};
    std::copy(std::begin(specials), std::end(specials), damaged.values.begin());
    damaged.values[2047] = std::numeric_limits<float>::quiet_NaN();
    testdata::SpectrumFixture backwards = testdata::MakeDarkSpectrum();
    backwards.wlIntercept = 1100.0f;
    backwards.wlCoef1 = -0.3f;
    backwards.wlCoef3 = 1e-9f;
    for (float& value : backwards.values) {
        value = -value - 1e6f;
    }
    for (const testdata::SpectrumFixture* fixture : {&damaged, &backwards, &damaged}) {
        const CDeviceSpectrum spectrum = Loaded(*fixture);
        EXPECT_EQ(JcampRefusal(spectrum), "");
        const JcampFile file = ParseJcamp(FormatJcampFile(spectrum, "run1.scope_ks", "alice"));
        ASSERT_EQ(file.x.size(), 2048u);
        EXPECT_EQ(file.Label("NPOINTS"), "2048");
        EXPECT_EQ(file.Label("XFACTOR"), "1");
        EXPECT_EQ(file.Label("YFACTOR"), "1");
        for (std::size_t i = 0; i < 2048; ++i) {
            ASSERT_TRUE(SameOrBothMissing(file.x[i], spectrum.WavelengthAt(i))) << i;
            ASSERT_TRUE(SameOrBothMissing(file.y[i], spectrum.values[i])) << i;
        }
        EXPECT_TRUE(SameOrBothMissing(ParseJcampNumber<double>(file.Label("FIRSTX")), file.x[0]));
        EXPECT_TRUE(SameOrBothMissing(ParseJcampNumber<double>(file.Label("LASTX")), file.x[2047]));
        EXPECT_TRUE(SameOrBothMissing(ParseJcampNumber<float>(file.Label("FIRSTY")), file.y[0]));
        EXPECT_TRUE(SameOrBothMissing(ParseJcampNumber<float>(file.Label("$WAVELENGTH COEF2")),
                                      fixture->wlCoef2));
    }
    // x values must be numbers: a scale that is not finite at one point has no JCAMP-DX file.
    for (const auto& [coefficient, value] :
         {std::pair{&testdata::SpectrumFixture::wlCoef3, std::numeric_limits<float>::infinity()},
          {&testdata::SpectrumFixture::wlIntercept, std::numeric_limits<float>::quiet_NaN()},
          {&testdata::SpectrumFixture::wlCoef1, -std::numeric_limits<float>::infinity()}}) {
        testdata::SpectrumFixture noScale = testdata::MakeLampSpectrum();
        noScale.*coefficient = value;
        EXPECT_EQ(JcampRefusal(Loaded(noScale)), "the wavelength scale is not finite") << value;
    }
}

TEST(Jcamp, WritesTheRequiredLabelsInOrderWithTheYUnitsOfTheSpcFile) {
    const std::vector<std::string> required = {
        "TITLE",   "JCAMP-DX", "DATA TYPE", "ORIGIN", "OWNER",  "XUNITS", "YUNITS",
        "XFACTOR", "YFACTOR",  "FIRSTX",    "LASTX",  "FIRSTY", "NPOINTS"};
    // The SPC file's Y unit codes, as JCAMP-DX names them.
    const std::map<int, std::string> spcUnits = {
        {4, "COUNTS"}, {2, "ABSORBANCE"}, {128, "TRANSMITTANCE"}, {0, "ARBITRARY UNITS"}};
    testdata::SpectrumFixture fixture = testdata::MakeLampSpectrum();
    fixture.integrationTimeMs = 65535;
    for (const std::uint32_t role : {0u, 1u, 2u, 3u, 4u, 0xFFFFFFFFu}) {
        for (const std::uint32_t mode : {0u, 1u, 2u, 3u}) {
            fixture.spectrumRole = role;
            fixture.dataMode = mode;
            const CDeviceSpectrum spectrum = Loaded(fixture);
            const JcampFile file =
                ParseJcamp(FormatJcampFile(spectrum, "line\nbreak $$x", "alice"));
            ASSERT_GE(file.labels.size(), required.size());
            for (std::size_t k = 0; k < required.size(); ++k) {
                EXPECT_EQ(file.labels[k].first, required[k]);
            }
            EXPECT_EQ(file.Label("YUNITS"), spcUnits.at(FormatSpcFile(spectrum, kDecember5)[29]))
                << role << " " << mode;
            EXPECT_EQ(file.labels.back().first, "END");
        }
    }
    const JcampFile file =
        ParseJcamp(FormatJcampFile(Loaded(fixture), "line\nbreak $$x$$$y ##z", "ali$$ce"));
    EXPECT_EQ(file.Label("TITLE"), "line\\nbreak $ $x$ $ $y # #z")
        << "one line, no comment and no label in it";
    EXPECT_EQ(file.Label("OWNER"), "ali$ $ce");
    EXPECT_EQ(file.Label("JCAMP-DX"), "5.01");
    EXPECT_EQ(file.Label("DATA TYPE"), "UV/VIS SPECTRUM");
    EXPECT_EQ(file.Label("XUNITS"), "NANOMETERS");
    EXPECT_EQ(file.Label("$INTEGRATION TIME MS"), "65535");
}

// A text too long for one line goes on over further lines of at most 80 bytes, each of
// whole characters, and our reader joins them back into the text as written.
TEST(Jcamp, LongTitlesAndOwnersFoldIntoLinesOfEightyAndReadBackWhole) {
    std::string hashes = "#";
    for (int i = 0; i < 99; ++i) {
        hashes += " #";  // "##" would begin a label on a line of its own, so it is split
    }
    std::string accents;
    for (int i = 0; i < 150; ++i) {
        accents += "\xC3\xA9";
    }
    const std::pair<std::string, std::string> cases[] = {
        {std::string(72, 't'), std::string(72, 't')},  // "##TITLE=" and 72 fill one line
        {std::string(73, 't'), std::string(73, 't')},
        {std::string(200, 'x'), std::string(200, 'x')},
        {"Leaf sample from the north-facing slope of the garden, second week of the run, "
         "measured at noon with the lid closed.scope_ks",
         "Leaf sample from the north-facing slope of the garden, second week of the run, "
         "measured at noon with the lid closed.scope_ks"},
        {"x" + accents, "x" + accents},  // a line's 80th byte falls inside an "é"
        {std::string(100, '#'), hashes},
    };
    const CDeviceSpectrum lamp = Loaded(testdata::MakeLampSpectrum());
    const std::string owner(199, 'o');
    for (const auto& [title, expected] : cases) {
        const std::string text = FormatJcampFile(lamp, title, owner);
        const std::vector<std::string> lines = SplitCrLfLines(text);
        std::size_t titleLines = 0;
        while (titleLines < lines.size() && !lines[titleLines].starts_with("##JCAMP-DX=")) {
            ++titleLines;
        }
        EXPECT_EQ(titleLines, (8 + expected.size() + 79) / 80) << title;
        for (const std::string& line : lines) {
            EXPECT_LE(line.size(), 80u) << line;
            EXPECT_EQ(EscapeControlCharacters(line), line) << "whole characters only";
        }
        const JcampFile file = ParseJcamp(text);
        EXPECT_EQ(file.Label("TITLE"), expected);
        EXPECT_EQ(file.Label("OWNER"), owner);
        const SpectrumReading reading = ReadJcamp(text);
        ASSERT_TRUE(reading.spectrum) << reading.failure;
        EXPECT_EQ(reading.spectrum->title, expected);
    }
}

}  // namespace
}  // namespace kiro
