#include <gtest/gtest.h>

#include <limits>

#include "cli/RunProgram.h"
#include "support/TempDir.h"
#include "testdata/DeviceFileWriter.h"

namespace kiro {
namespace {

constexpr std::chrono::seconds kNoHang(10);

test::ProgramResult Cli(const std::vector<std::string>& args) {
    return test::RunProgram(KIROCONV_CLI_PATH, args, {}, kNoHang);
}

// Reads each line as strict UTF-8 JSON and prints it back in Python's canonical form.
constexpr const char* kCanonicalJson =
    "import json, sys\n"
    "for line in open(sys.argv[1], encoding='utf-8', newline='\\n'):\n"
    "    print(json.dumps(json.loads(line), sort_keys=True))\n";

testdata::SpectrumFixture TransmissionWithGaps() {
    testdata::SpectrumFixture fixture;
    fixture.spectrumRole = 3;
    fixture.dataMode = 2;
    fixture.wlIntercept = 200.0f;
    fixture.wlCoef1 = 0.5f;
    fixture.integrationTimeMs = 65535;
    fixture.spectraAveraged = 7;
    fixture.boxcarSmoothing = 3;
    fixture.referenceChannel = 1;
    fixture.values.fill(1.5f);
    fixture.values[5] = -2.25f;
    fixture.values[6] = 1e6f;
    fixture.values[7] = std::numeric_limits<float>::quiet_NaN();
    fixture.values[2047] = -std::numeric_limits<float>::infinity();
    return fixture;
}

// A name with a quote, a backslash, a control character, a byte that is no UTF-8, an
// overlong "/", an accented letter, a C1 control and a newline: the JSON stays valid and
// one line each.
TEST(InfoCommand, JsonLinesAreValidAndCarryTheHeaderWhateverTheFileName) {
    test::CTempDir dir;
    const std::string weird = dir / "we\"\\\x01\xff\xc0\xaf\xc3\xa9\xc2\x9b\n.transmission_ks";
    TransmissionWithGaps().WriteTo(weird);
    test::WriteFileBytes(dir / "fake.scope_ks", "not a spectrum");
    testdata::SpectrumFixture version2 = testdata::MakeLampSpectrum();
    version2.version = 2;
    version2.WriteTo(dir / "v2.dark_ks");
    const auto run = Cli({"info", "--json", weird, dir / "fake.scope_ks", dir / "v2.dark_ks",
                          dir / "missing.dark_ks"});
    EXPECT_EQ(run.exitStatus, 1);
    test::WriteFileBytes(dir / "out.json", run.out);
    const auto python =
        test::RunProgram("/usr/bin/python3", {"-c", kCanonicalJson, dir / "out.json"});
    ASSERT_EQ(python.exitStatus, 0) << python.err << run.out;
    const std::string path = dir.Path().string();
    EXPECT_EQ(python.out,
              "{\"boxcarSmoothing\": 3, \"dataMode\": 2, \"file\": \"" + path +
                  "/we\\\"\\\\\\u0001\\ufffd\\ufffd\\ufffd\\u00e9\\u009b\\n.transmission_ks\", "
                  "\"firstWavelengthNm\": 200.0, \"format\": \"device\", \"integrationTimeMs\": "
                  "65535, \"kind\": "
                  "\"transmission_ks\", \"lastWavelengthNm\": 1223.5, \"maxValue\": 1000000.0, "
                  "\"minValue\": -2.25, \"nonFiniteValues\": 2, \"points\": 2048, "
                  "\"referenceChannel\": 1, \"spectraAveraged\": 7, \"spectrumRole\": 3, "
                  "\"version\": 1, \"wlCoef1\": 0.5, \"wlCoef2\": 0.0, \"wlCoef3\": 0.0, "
                  "\"wlIntercept\": 200.0, \"yUnit\": \"transmission\", \"yUnitFromName\": false}\n"
                  "{\"error\": \"not a spectrum file that KiroConv reads\", "
                  "\"file\": \"" +
                  path +
                  "/fake.scope_ks\"}\n{\"error\": \"not a device spectrum file: unknown "
                  "version 2\", \"file\": \"" +
                  path +
                  "/v2.dark_ks\"}\n{\"error\": \"cannot open the file: No such file or "
                  "directory\", \"file\": \"" +
                  path + "/missing.dark_ks\"}\n");
}

TEST(InfoCommand, TextShowsTheHeaderWithControlCharactersAndBytesThatAreNotUtf8Escaped) {
    test::CTempDir dir;
    const std::string name = dir / "a\x1B[2J\xff.transmission_ks";
    TransmissionWithGaps().WriteTo(name);
    const auto run = Cli({"info", name});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out,
              dir.Path().string() +
                  "/a\\x1B[2J\\xFF.transmission_ks\n"
                  "  kind: transmission_ks, version 1, role 3, data mode 2 (transmission)\n"
                  "  calibration: intercept 200, coefficients 0.5 0 0\n"
                  "  wavelength: 200.00 to 1223.50 nm, 2048 points\n"
                  "  integration time: 65535 ms, averaged: 7, boxcar: 3, reference "
                  "channel: master\n"
                  "  values: min -2.25, max 1e+06, NaN or infinite: 2\n");
    EXPECT_EQ(Cli({"info"}).exitStatus, 2);
    // A reason that quotes the file's bytes reaches the terminal escaped too.
    test::WriteFileBytes(dir / "evil.jdx", "##TITLE=x\r\n##A\x1B[2J=1\r\n##A\x1B[2J=2\r\n");
    EXPECT_EQ(Cli({"info", dir / "evil.jdx"}).out,
              dir.Path().string() +
                  "/evil.jdx: JCAMP-DX file that KiroConv cannot read: line 3: ##A\\x1B[2J a "
                  "second time\n");
}

}  // namespace
}  // namespace kiro
