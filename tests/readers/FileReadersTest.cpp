#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <tuple>

#include "conversion/DelimitedAsciiWriter.h"
#include "conversion/JcampWriter.h"
#include "conversion/KiroBenchWriter.h"
#include "conversion/SpcWriter.h"
#include "platform/Clock.h"
#include "readers/AnyFileReader.h"
#include "readers/TextLines.h"
#include "testdata/DeviceFileWriter.h"

namespace kiro {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();
const std::tm kWritten = MakeLocalTime(2026, 12, 5, 14, 37, 2);

CDeviceSpectrum Loaded(const testdata::SpectrumFixture& fixture) {
    const std::vector<unsigned char> bytes = fixture.Bytes();
    CDeviceSpectrum spectrum;
    EXPECT_EQ(spectrum.Load(bytes.data(), bytes.size()), SpectrumLoadResult::Loaded);
    return spectrum;
}

SpectrumReading Read(const std::string& name, const std::string& bytes) {
    return ReadAnySpectrum(name, reinterpret_cast<const unsigned char*>(bytes.data()),
                           bytes.size());
}

std::string Spc(const CDeviceSpectrum& spectrum) {
    const std::vector<unsigned char> bytes = FormatSpcFile(spectrum, kWritten);
    return {bytes.begin(), bytes.end()};
}

// A processed transmission spectrum with every awkward value a file may hold.
testdata::SpectrumFixture Awkward() {
    testdata::SpectrumFixture fixture = testdata::MakeTransmissionSpectrum();
    fixture.values[3] = kNaN;
    fixture.values[4] = kInf;
    fixture.values[5] = -kInf;
    fixture.values[6] = -0.25f;
    fixture.values[7] = 1e6f;
    fixture.values[8] = 1e-7f;
    fixture.integrationTimeMs = 65535;
    return fixture;
}

// The writers are the oracle: what each wrote reads back as the source, to the digits the
// format keeps, with the unit and as much of the header as it carries.
TEST(SpectrumReaders, EveryFormatReadsBackAsTheWriterWroteIt) {
    testdata::SpectrumFixture arbitrary = testdata::MakeLampSpectrum();
    arbitrary.spectrumRole = 7;
    const std::vector<std::pair<std::string, testdata::SpectrumFixture>> sources = {
        {"lamp", testdata::MakeLampSpectrum()},
        {"leaf", testdata::MakeAbsorbanceSpectrum()},
        {"odd", Awkward()},
        {"role7", arbitrary}};
    for (const auto& [base, fixture] : sources) {
        const CDeviceSpectrum spectrum = Loaded(fixture);
        const SpectrumYUnit unit = YUnitOf(spectrum);
        // The text formats' names: role 7 has no unit, but its name says counts.
        const std::string suffix = base == "leaf"  ? ".absorbance"
                                   : base == "odd" ? ".transmission"
                                                   : ".scope";
        const SpectrumYUnit nameUnit = base == "leaf"  ? SpectrumYUnit::Absorbance
                                       : base == "odd" ? SpectrumYUnit::Transmission
                                                       : SpectrumYUnit::Counts;
        struct Case {
            std::string name;
            std::string bytes;
            SpectrumFormat format;
        };
        const std::vector<Case> cases = {
            {base + suffix, FormatDelimitedAscii(spectrum, '\t'), SpectrumFormat::Tab},
            {base + suffix, FormatDelimitedAscii(spectrum, ','), SpectrumFormat::Comma},
            {base + ".Master" + suffix, FormatKiroBenchFile(spectrum, kWritten),
             SpectrumFormat::KiroBench},
            {base + suffix + ".spc", Spc(spectrum), SpectrumFormat::Spc},
            {base + suffix + ".jdx", FormatJcampFile(spectrum, base + "_ks", "alice"),
             SpectrumFormat::Jcamp}};
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name + " as " + std::string(SpectrumFormatName(c.format)));
            const SpectrumReading reading = Read(c.name, c.bytes);
            ASSERT_TRUE(reading.spectrum) << reading.failure;
            const SpectrumData& data = *reading.spectrum;
            EXPECT_EQ(data.format, c.format);
            const bool text = c.format == SpectrumFormat::Tab ||
                              c.format == SpectrumFormat::Comma ||
                              c.format == SpectrumFormat::KiroBench;
            EXPECT_EQ(data.unit, text ? nameUnit : unit);
            EXPECT_EQ(data.unitFromName, text);
            ASSERT_EQ(data.values.size(), kSpectrumPointCount);
            for (std::size_t i = 0; i < kSpectrumPointCount; ++i) {
                const double x = spectrum.WavelengthAt(i);
                const double y = spectrum.values[i];
                const double gotY = data.values[i];
                if (c.format == SpectrumFormat::Spc) {
                    ASSERT_EQ(data.wavelengths[i], static_cast<float>(x)) << i;
                    ASSERT_EQ(std::bit_cast<std::uint64_t>(gotY), std::bit_cast<std::uint64_t>(y))
                        << i;
                } else if (c.format == SpectrumFormat::Jcamp) {
                    ASSERT_EQ(data.wavelengths[i], x) << i;
                    // The shortest digits that read back to the value's float.
                    ASSERT_TRUE(std::isfinite(y) ? static_cast<float>(gotY) == spectrum.values[i]
                                                 : std::isnan(gotY))
                        << i;
                } else {
                    ASSERT_NEAR(data.wavelengths[i], x, 0.005 + 1e-9) << i;
                    ASSERT_TRUE(std::isfinite(y) ? std::fabs(gotY - y) <= 0.0005 + 1e-9
                                : std::isnan(y)  ? std::isnan(gotY)
                                                 : gotY == y)
                        << i << ": " << gotY << " for " << y;
                }
            }
            if (c.format == SpectrumFormat::KiroBench || c.format == SpectrumFormat::Jcamp) {
                ASSERT_TRUE(data.acquisition);
                EXPECT_EQ(data.acquisition->integrationTimeMs, spectrum.integrationTimeMs);
                EXPECT_EQ(data.acquisition->spectraAveraged, spectrum.spectraAveraged);
                EXPECT_EQ(data.acquisition->boxcarSmoothing, spectrum.boxcarSmoothing);
                EXPECT_EQ(data.acquisition->referenceChannel == 1, spectrum.referenceChannel == 1);
            }
            if (c.format == SpectrumFormat::Jcamp) {
                ASSERT_TRUE(data.calibration);
                EXPECT_EQ(data.calibration->coef3, spectrum.wlCoef3);
                EXPECT_EQ(data.spectrumRole, spectrum.spectrumRole);
                EXPECT_EQ(data.title, base + "_ks");
            }
            if (c.format == SpectrumFormat::Spc) {
                EXPECT_EQ(data.written, "2026-12-05 14:37");
                EXPECT_EQ(data.spectrumRole.has_value(), spectrum.spectrumRole <= 3);
            }
        }
    }
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// "line N" of the first line that holds `needle`.
std::string LineOf(const std::string& text, const std::string& needle) {
    const std::size_t at = text.find(needle);
    const auto breaks = std::count(text.begin(), text.begin() + static_cast<long>(at), '\n');
    return "line " + std::to_string(breaks + 1);
}

// Damaged, cut and hostile files are refused with what is wrong, and the reading stops at
// the first fault: nothing after it is taken.
TEST(SpectrumReaders, DamagedFilesAreRefusedWithTheirFault) {
    const CDeviceSpectrum lamp = Loaded(testdata::MakeLampSpectrum());
    const std::string bench = FormatKiroBenchFile(lamp, kWritten);
    const std::string spc = Spc(lamp);
    const std::string jcamp = FormatJcampFile(lamp, "lamp", "alice");
    const std::string points = "##XYPOINTS=(XY..XY)\r\n";
    const std::string twoBlocks = jcamp + "##TITLE=second block\r\n";
    // The last point lost with the count mended: ##LASTX tells.
    const std::string lostPoint =
        Replaced(jcamp.substr(0, jcamp.rfind("\r\n", jcamp.rfind("##END") - 3) + 2) + "##END=\r\n",
                 "##NPOINTS=2048", "##NPOINTS=2047");
    std::string many;  // more points than any spectrum has
    for (std::size_t i = 0; i <= kMaxSpectrumPoints; ++i) {
        many += "1\t2\n";
    }
    const auto patched = [&spc](std::size_t at, char byte) {
        std::string copy = spc;
        copy[at] = byte;
        return copy;
    };
    const std::string text = "delimited text that KiroConv cannot read: ";
    const std::string kb = "KiroBench data file that KiroConv cannot read: ";
    const std::string jc = "JCAMP-DX file that KiroConv cannot read: ";
    const std::string sp = "SPC file that KiroConv cannot read: ";
    const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
        {"notes.txt", "two\tcolumns\r\n", "not a spectrum file that KiroConv reads"},
        {"x.scope", "1.0\t2.0\r\n3.0\t4.0\t5.0\r\n",
         text + "line 2: not a wavelength, a tab and a value"},
        {"x.scope", "1.0,2.0\r\n\r\n3.0,4.0\r\n", text + "line 3: a point after a blank line"},
        {"x.scope", "+1.0\t2.0\r\n", text + "line 1: not a wavelength, a tab and a value"},
        {"x.scope", "1\t2\r\n" + std::string(5000, '1') + "\t2\r\n",
         text + "line 2: longer than 4096 bytes"},
        {"x.scope", std::string("1\t2\r\n3\t\0\r\n", 10),
         text + "line 2: a NUL byte, which no text file holds"},
        {"x.scope", "\r\n", "delimited text without a single point"},
        {"x.scope", std::string(kMaxSpectrumFileBytes + 1, '1'),
         "larger than any spectrum file KiroConv reads (1024 KiB at most)"},
        {"x.dark", many, text + "line 65537: more than 65536 points"},
        {"x", bench.substr(0, bench.size() - 29),
         kb + "line 2062: the file ends before \">>>>>End Spectral Data<<<<<\": it is cut short"},
        {"x", Replaced(bench, "Spectra Averaged: 10", "Spectra Averaged: 70000"),
         kb + "line 8: no number from 0 to 65535 after \"Spectra Averaged: \""},
        {"x", bench + "more\r\n", kb + "line 2064: text after \">>>>>End Spectral Data<<<<<\""},
        {"x", Replaced(jcamp, "##NPOINTS=2048", "##NPOINTS=2049"),
         jc + "##NPOINTS is 2049, but the file holds 2048 points"},
        {"x", Replaced(jcamp, points, "##XYDATA=(X++(Y..Y))\r\n"),
         jc + LineOf(jcamp, points) +
             ": ##XYDATA, a form KiroConv does not read; it reads ##XYPOINTS=(XY..XY)"},
        {"x", Replaced(jcamp, "##XUNITS=NANOMETERS", "##XUNITS=1/CM"),
         jc + "its x values are in \"1/CM\", not in nanometres"},
        {"x", Replaced(jcamp, points, "##TITLE=again\r\n" + points),
         jc + LineOf(jcamp, points) + ": ##TITLE a second time"},
        {"x", twoBlocks,
         jc + LineOf(twoBlocks, "##TITLE=second") + ": text after ##END, such as a second block"},
        {"x", lostPoint, jc + "##LASTX is not the x of the last point"},
        {"x.spc", spc.substr(0, 9000), "SPC file cut short: it ends after 9000 of 16928 bytes"},
        {"x.spc", patched(7, '\x01'), sp + "it declares 16779264 points; 1 to 65536 are read"},
        {"x", patched(3, 0x10), sp + "its Y values are integers, not floats"},
        {"x.SPC", patched(1, 0x4C), sp + "an older or big-endian form of SPC"},
        {"x.spc", patched(512, 0x10),
         sp + "its first and last wavelength disagree with its X values"},
    };
    for (const auto& [name, bytes, failure] : cases) {
        const SpectrumReading reading = Read(name, bytes);
        EXPECT_FALSE(reading.spectrum) << failure;
        EXPECT_EQ(reading.failure, failure);
    }
    // Cut anywhere before its end, a KiroBench or JCAMP-DX file is refused.
    for (std::size_t cut = 37; cut < bench.size() - 29; cut += 997) {
        ASSERT_FALSE(Read("x.Master.scope", bench.substr(0, cut)).spectrum) << cut;
    }
    for (std::size_t cut = 2; cut < jcamp.size() - 8; cut += 997) {
        ASSERT_FALSE(Read("x.jdx", jcamp.substr(0, cut)).spectrum) << cut;
    }
}

// What the files' own words say beyond the points: a folded title, comments, factors, a
// renamed file's unit, and a handheld file with bytes after its values.
TEST(SpectrumReaders, FormsWithinTheFormatsAreRead) {
    const CDeviceSpectrum leaf = Loaded(testdata::MakeAbsorbanceSpectrum());
    const std::string jcamp = FormatJcampFile(leaf, "leaf", "alice");
    const SpectrumReading folded =
        Read("x", Replaced(Replaced(Replaced(jcamp, "##TITLE=leaf",
                                             "##TITLE=a title folded\r\n"
                                             " over two lines $$ no\r\n"),
                                    "##YFACTOR=1", "##YFACTOR=2"),
                           "##JCAMP-DX=5.01", "##jcamp_dx= 5.01 $$ a comment"));
    ASSERT_TRUE(folded.spectrum) << folded.failure;
    EXPECT_EQ(folded.spectrum->title, "a title folded over two lines");
    EXPECT_EQ(static_cast<float>(folded.spectrum->values[10] / 2), leaf.values[10]);

    const std::string bench = FormatKiroBenchFile(leaf, kWritten);
    const SpectrumReading renamed = Read("notes.txt", bench);
    ASSERT_TRUE(renamed.spectrum);
    EXPECT_EQ(renamed.spectrum->unit, SpectrumYUnit::Arbitrary);
    EXPECT_FALSE(renamed.spectrum->unitFromName);
    EXPECT_EQ(renamed.spectrum->written, "Saturday, December 05, 2026, 14:37:02");

    std::vector<unsigned char> device = testdata::MakeAbsorbanceSpectrum().Bytes();
    device.resize(kMaxSpectrumFileBytes * 2, 'x');
    const SpectrumReading padded =
        ReadAnySpectrum("leaf.absorbance_ks", device.data(), device.size());
    ASSERT_TRUE(padded.spectrum);
    EXPECT_EQ(padded.spectrum->values[10], leaf.values[10]);

    CTextLines lines("1\n2\n3\n");
    ASSERT_TRUE(lines.Next());
    lines.Fail("bad");
    EXPECT_FALSE(lines.Next()) << "a failed reading stays failed";
    EXPECT_EQ(lines.Failure(), "line 1: bad");
}

}  // namespace
}  // namespace kiro
