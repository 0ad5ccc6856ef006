#include <gtest/gtest.h>

#include "cli/RunProgram.h"
#include "support/TempDir.h"
#include "testdata/DeviceFileWriter.h"

namespace kiro {
namespace {

using test::ReadFileBytes;

test::ProgramResult Cli(const std::vector<std::string>& args) {
    return test::RunProgram(KIROCONV_CLI_PATH, args, {}, std::chrono::seconds(20));
}

// A PNG's size stands in its header: width and height, big-endian, at bytes 16 and 20.
std::pair<unsigned, unsigned> PngSize(const std::string& png) {
    const auto at = [&png](std::size_t offset) {
        unsigned value = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            value = value << 8 | static_cast<unsigned char>(png[offset + i]);
        }
        return value;
    };
    return {at(16), at(20)};
}

TEST(PlotCommand, DrawsSvgAndPngOfTheAskedSizeAndNamesWhatItCouldNot) {
    test::CTempDir dir;
    testdata::MakeLampSpectrum().WriteTo(dir / "lamp.scope_ks");
    testdata::MakeAbsorbanceSpectrum().WriteTo(dir / "leaf.absorbance_ks");
    test::WriteFileBytes(dir / "notes.txt", "not a spectrum");

    const auto svg = Cli({"plot", dir / "lamp.scope_ks", dir / "leaf.absorbance_ks", "-o",
                          dir / "both.svg", "--size", "640x360"});
    EXPECT_EQ(svg.exitStatus, 0) << svg.out << svg.err;
    const std::string text = ReadFileBytes(dir / "both.svg");
    EXPECT_EQ(text.rfind("<?xml", 0), 0u);
    EXPECT_NE(text.find("width=\"640px\" height=\"360px\""), std::string::npos);
    EXPECT_NE(text.find("</svg>\r\n"), std::string::npos);
    EXPECT_EQ(text.find("nan"), std::string::npos);

    const auto png = Cli({"plot", dir / "notes.txt", dir / "lamp.scope_ks", "-o", dir / "lamp.PNG",
                          "--size", "333x222"});
    EXPECT_EQ(png.exitStatus, 1) << "a file was not plotted";
    EXPECT_NE(png.out.find("not plotted: notes.txt is not a Kiro-SCAN spectrum file."),
              std::string::npos);
    const std::string picture = ReadFileBytes(dir / "lamp.PNG");
    ASSERT_GT(picture.size(), 24u);
    EXPECT_EQ(picture.substr(1, 3), "PNG");
    EXPECT_EQ(PngSize(picture), std::make_pair(333u, 222u));

    // A name of any bytes is drawn, and named escaped.
    testdata::MakeLampSpectrum().WriteTo(dir / "l\xFF\x1B.scope_ks");
    test::WriteFileBytes(dir / "n\xFF\x1B.txt", "not a spectrum");
    const auto odd =
        Cli({"plot", dir / "l\xFF\x1B.scope_ks", dir / "n\xFF\x1B.txt", "-o", dir / "odd\xFF.png"});
    EXPECT_EQ(odd.exitStatus, 1) << odd.err;
    EXPECT_EQ(odd.out,
              "not plotted: n\\xFF\\x1B.txt is not a Kiro-SCAN spectrum file.\n"
              "plotted 1 spectrum -> " +
                  (dir / "odd\\xFF.png") + "\n");
    EXPECT_EQ(ReadFileBytes(dir / "odd\xFF.png").substr(1, 3), "PNG");

    EXPECT_EQ(Cli({"plot", dir / "notes.txt", "-o", dir / "none.svg"}).exitStatus, 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "none.svg"));
    EXPECT_EQ(Cli({"plot", dir / "lamp.scope_ks", "-o", dir / "x.gif"}).exitStatus, 2);
    EXPECT_EQ(Cli({"plot", dir / "lamp.scope_ks", "-o", dir / "x.svg", "--size", "9x9"}).exitStatus,
              2);
}

}  // namespace
}  // namespace kiro
