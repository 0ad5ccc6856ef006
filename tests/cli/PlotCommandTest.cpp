#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>

#include "cli/RunProgram.h"
#include "support/PictureChecks.h"
#include "support/PngPictures.h"
#include "support/TempDir.h"
#include "testdata/DeviceFileWriter.h"

namespace kiro {
namespace {

using test::ReadFileBytes;

test::ProgramResult Cli(const std::vector<std::string>& args) {
    return test::RunProgram(KIROCONV_CLI_PATH, args, {}, std::chrono::seconds(20));
}

// The curves of an SVG picture by their colour, each a polyline per run between gaps.
using Curve = std::vector<std::vector<PlotPoint>>;

std::map<std::string, Curve> CurvesOf(const std::string& svg) {
    std::map<std::string, Curve> curves;
    for (test::SvgPolyline& line : test::SvgPolylines(svg)) {
        curves[line.colour].push_back(std::move(line.points));
    }
    return curves;
}

// The span a curve covers in each pixel column, from its vertices: the drawing keeps
// every column's lowest and highest point as a vertex.
std::map<long, std::pair<double, double>> ColumnSpans(const Curve& curve) {
    std::map<long, std::pair<double, double>> spans;
    for (const auto& run : curve) {
        for (const PlotPoint& v : run) {
            const auto column = static_cast<long>(std::floor(v.x));
            const auto [at, added] = spans.try_emplace(column, v.y, v.y);
            at->second = {std::min(at->second.first, v.y), std::max(at->second.second, v.y)};
        }
    }
    return spans;
}

// Column by column, each curve reaches as high and as low as the other within a pixel,
// allowing a point to fall into the neighbouring column.
bool WithinAPixel(const Curve& a, const Curve& b) {
    const auto reaches = [](const Curve& from, const Curve& to) {
        const auto mine = ColumnSpans(from);
        const auto theirs = ColumnSpans(to);
        for (const auto& [column, span] : mine) {
            double low = std::numeric_limits<double>::infinity();
            double high = -low;
            for (long near = column - 1; near <= column + 1; ++near) {
                if (const auto found = theirs.find(near); found != theirs.end()) {
                    low = std::min(low, found->second.first);
                    high = std::max(high, found->second.second);
                }
            }
            if (low > span.first + 1.0 || high < span.second - 1.0) {
                return false;
            }
        }
        return true;
    };
    return !a.empty() && reaches(a, b) && reaches(b, a);
}

// Every format `convert` writes is plotted as the source is: the same two curves, counts
// on the left axis and absorbance on the right, a missing value still a gap. `info`
// describes each.
TEST(PlotCommand, EveryConvertedFormatDrawsTheSourcesCurvesWithinAPixel) {
    test::CTempDir dir;
    testdata::SpectrumFixture lamp = testdata::MakeLampSpectrum();
    lamp.values[700] = std::numeric_limits<float>::quiet_NaN();
    lamp.WriteTo(dir / "lamp.scope_ks");
    testdata::MakeAbsorbanceSpectrum().WriteTo(dir / "leaf.absorbance_ks");
    ASSERT_EQ(
        Cli({"plot", dir / "lamp.scope_ks", dir / "leaf.absorbance_ks", "-o", dir / "source.svg"})
            .exitStatus,
        0);
    const std::map<std::string, Curve> source = CurvesOf(ReadFileBytes(dir / "source.svg"));
    ASSERT_EQ(source.size(), 2u);
    EXPECT_EQ(source.begin()->second.size() + std::next(source.begin())->second.size(), 3u)
        << "the missing value splits the lamp's curve";

    const std::vector<std::pair<std::string, std::vector<std::string>>> formats = {
        {"tab", {"lamp.scope", "leaf.absorbance"}},
        {"comma", {"lamp.scope", "leaf.absorbance"}},
        {"kirobench", {"lamp.Master.scope", "leaf.Master.absorbance"}},
        {"spc", {"lamp.scope.spc", "leaf.absorbance.spc"}},
        {"jcamp", {"lamp.scope.jdx", "leaf.absorbance.jdx"}},
    };
    for (const auto& [format, outputs] : formats) {
        SCOPED_TRACE(format);
        ASSERT_EQ(Cli({"convert", "--overwrite", "-f", format, dir / "lamp.scope_ks",
                       dir / "leaf.absorbance_ks"})
                      .exitStatus,
                  0);
        const auto plot =
            Cli({"plot", dir / outputs[0], dir / outputs[1], "-o", dir / (format + ".svg")});
        ASSERT_EQ(plot.exitStatus, 0) << plot.out << plot.err;
        const std::map<std::string, Curve> drawn = CurvesOf(ReadFileBytes(dir / (format + ".svg")));
        ASSERT_EQ(drawn.size(), 2u);
        for (const auto& [colour, curve] : source) {
            ASSERT_TRUE(drawn.count(colour));
            EXPECT_EQ(drawn.at(colour).size(), curve.size());
            EXPECT_TRUE(WithinAPixel(drawn.at(colour), curve)) << colour;
        }
        const auto info = Cli({"info", dir / outputs[0], dir / outputs[1]});
        EXPECT_EQ(info.exitStatus, 0) << info.out;
        EXPECT_NE(info.out.find("(counts"), std::string::npos) << info.out;
        EXPECT_NE(info.out.find("(absorbance"), std::string::npos) << info.out;
        EXPECT_NE(info.out.find("2048 points"), std::string::npos) << info.out;
        EXPECT_NE(info.out.find("NaN or infinite: 1"), std::string::npos) << info.out;
    }
}

TEST(PlotCommand, DrawsSvgAndPngOfTheAskedSizeAndNamesWhatItCouldNot) {
    test::CTempDir dir;
    testdata::MakeLampSpectrum().WriteTo(dir / "lamp.scope_ks");
    testdata::MakeAbsorbanceSpectrum().WriteTo(dir / "leaf.absorbance_ks");
    test::WriteFileBytes(dir / "notes.txt", "not a spectrum");

    const auto svg = Cli({"plot", dir / "lamp.scope_ks", dir / "leaf.absorbance_ks", "-o",
                          dir / "both.svg", "--size", "640x360"});
    EXPECT_EQ(svg.exitStatus, 0) << svg.out << svg.err;
    EXPECT_NE(ReadFileBytes(dir / "both.svg").find("width=\"640\" height=\"360\""),
              std::string::npos);

    const auto png = Cli({"plot", dir / "notes.txt", dir / "lamp.scope_ks", "-o", dir / "lamp.PNG",
                          "--size", "333x222"});
    EXPECT_EQ(png.exitStatus, 1) << "a file was not plotted";
    EXPECT_NE(png.out.find("not plotted: notes.txt: not a spectrum file that KiroConv reads"),
              std::string::npos);
    // The PNG shows the layout that the SVG of the same plot holds.
    ASSERT_EQ(Cli({"plot", dir / "lamp.scope_ks", "-o", dir / "lamp.svg", "--size", "333x222"})
                  .exitStatus,
              0);
    EXPECT_EQ(test::PngCurveMisplacement(ReadFileBytes(dir / "lamp.PNG"),
                                         ReadFileBytes(dir / "lamp.svg")),
              "");

    // A name of any bytes is drawn, and named escaped.
    testdata::MakeLampSpectrum().WriteTo(dir / "l\xFF\x1B.scope_ks");
    test::WriteFileBytes(dir / "n\xFF\x1B.txt", "not a spectrum");
    const auto odd =
        Cli({"plot", dir / "l\xFF\x1B.scope_ks", dir / "n\xFF\x1B.txt", "-o", dir / "odd\xFF.png"});
    EXPECT_EQ(odd.exitStatus, 1) << odd.err;
    EXPECT_EQ(odd.out,
              "not plotted: n\\xFF\\x1B.txt: not a spectrum file that KiroConv reads\n"
              "plotted 1 spectrum -> " +
                  (dir / "odd\\xFF.png") + "\n");
    EXPECT_EQ(ReadFileBytes(dir / "odd\xFF.png").substr(1, 3), "PNG");

    EXPECT_EQ(Cli({"plot", dir / "notes.txt", "-o", dir / "none.svg"}).exitStatus, 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "none.svg"));
    EXPECT_EQ(Cli({"plot", dir / "lamp.scope_ks", "-o", dir / "x.gif"}).exitStatus, 2);
    EXPECT_EQ(Cli({"plot", dir / "lamp.scope_ks", "-o", dir / "x.svg", "--size", "9x9"}).exitStatus,
              2);

    // A third unit has no axis: refused, naming the units, and nothing is drawn.
    testdata::MakeTransmissionSpectrum().WriteTo(dir / "leaf.transmission_ks");
    const auto three = Cli({"plot", dir / "lamp.scope_ks", dir / "leaf.absorbance_ks",
                            dir / "leaf.transmission_ks", "-o", dir / "three.svg"});
    EXPECT_EQ(three.exitStatus, 1);
    EXPECT_EQ(three.err,
              "plot: The files hold 3 units: counts (lamp.scope_ks), absorbance "
              "(leaf.absorbance_ks) and transmission (leaf.transmission_ks); a picture shows at "
              "most two, on a left and a right axis. Nothing was drawn.\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "three.svg"));
}

}  // namespace
}  // namespace kiro
