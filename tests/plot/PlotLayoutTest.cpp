#include "plot/PlotLayout.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <ctime>
#include <limits>
#include <random>

#include "conversion/SpcWriter.h"
#include "devicelink/DeviceLink.h"
#include "devicelink/FakeRemoteApi.h"
#include "plot/PlotContent.h"
#include "support/Fakes.h"
#include "testdata/DeviceFileWriter.h"

namespace kiro {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

PlotTrace Trace(const std::function<double(double)>& y, double x0 = 340, double dx = 0.33,
                std::size_t count = 2048) {
    PlotTrace trace{"t", {}, {}, {}};
    for (std::size_t i = 0; i < count; ++i) {
        trace.x.push_back(x0 + dx * static_cast<double>(i));
        trace.y.push_back(y(static_cast<double>(i)));
    }
    return trace;
}

// Label boxes along one axis, by the estimate the drawers place text with.
void ExpectApart(const std::vector<PlotTick>& ticks,
                 const std::function<double(const PlotTick&)>& extent, const std::string& what) {
    for (std::size_t i = 1; i < ticks.size(); ++i) {
        const double room = std::fabs(ticks[i].position - ticks[i - 1].position);
        EXPECT_GE(room, (extent(ticks[i]) + extent(ticks[i - 1])) / 2) << what << " labels overlap";
    }
}

void ExpectSoundLayout(const PlotLayout& layout, const std::string& what) {
    SCOPED_TRACE(what);
    for (const PlotRange& range : {layout.xRange, layout.yRange}) {
        EXPECT_TRUE(std::isfinite(range.low) && std::isfinite(range.high));
        EXPECT_GT(range.Span(), 0.0);
    }
    const bool thumbnail = std::min(layout.width, layout.height) < kThumbnailSide;
    EXPECT_EQ(layout.xTicks.empty(), thumbnail);
    EXPECT_EQ(layout.yTicks.empty(), thumbnail);
    if (!thumbnail) {
        EXPECT_GE(layout.yTicks.size(), 2u) << "a scale needs two values to be read";
        EXPECT_NE(layout.y2Ticks.size(), 1u);
    }
    EXPECT_EQ(layout.texts.empty(), thumbnail) << "a thumbnail has no words";
    for (const PlotTick& tick : layout.xTicks) {
        EXPECT_TRUE(tick.value >= layout.xRange.low && tick.value <= layout.xRange.high);
        EXPECT_TRUE(tick.position >= layout.area.left - 1e-6 &&
                    tick.position <= layout.area.right + 1e-6);
        EXPECT_NE(tick.label, "-0");
    }
    for (const PlotTick& tick : layout.yTicks) {
        EXPECT_TRUE(tick.value >= layout.yRange.low && tick.value <= layout.yRange.high);
        EXPECT_TRUE(tick.position >= layout.area.top - 1e-6 &&
                    tick.position <= layout.area.bottom + 1e-6);
    }
    for (const PlotText& text : layout.texts) {
        if (text.align == TextAlign::Left) {
            EXPECT_LE(text.at.x + EstimatedTextWidth(layout.font, text.text), layout.width)
                << text.text;
        }
    }
    ExpectApart(
        layout.xTicks, [&](const PlotTick& t) { return EstimatedTextWidth(layout.font, t.label); },
        "x");
    ExpectApart(
        layout.yTicks, [&](const PlotTick&) { return layout.font.lineHeight; }, "y");
    for (const PlotLine& line : layout.lines) {
        for (const auto& segment : line.segments) {
            EXPECT_GE(segment.size(), 2u);
            for (const PlotPoint& point : segment) {
                ASSERT_TRUE(std::isfinite(point.x) && std::isfinite(point.y));
            }
        }
    }
    for (const PlotText& text : layout.texts) {
        ASSERT_TRUE(std::isfinite(text.at.x) && std::isfinite(text.at.y)) << text.text;
    }
    if (layout.legendBox) {
        const PlotRect& box = *layout.legendBox;
        EXPECT_TRUE(box.left >= layout.area.left && box.right <= layout.area.right &&
                    box.bottom <= layout.area.bottom)
            << "the legend stays inside the plot";
        EXPECT_LE(box.Width(), layout.area.Width() * 0.6 + 1e-9) << "and leaves the curves room";
    }
}

// Every awkward spectrum at a roomy and a cramped size: ranges open, ticks inside,
// labels apart, no coordinate that is not a number.
TEST(PlotLayout, AwkwardDataGiveASoundPictureAtAnySize) {
    const float big = std::numeric_limits<float>::max();
    const std::vector<std::pair<std::string, PlotTrace>> cases = {
        {"flat", Trace([](std::size_t) { return 1234.5; })},
        {"flat zero", Trace([](std::size_t) { return 0.0; })},
        {"single spike", Trace([](double i) { return i == 777 ? 5.0e4 : 0.0; })},
        {"all negative",
         Trace([](double i) { return -1000.0 - static_cast<double>(std::fmod(i, 97)); })},
        {"NaN and infinities", Trace([](double i) {
             return std::fmod(i, 5) == 0    ? kNaN
                    : std::fmod(i, 7) == 0  ? kInf
                    : std::fmod(i, 11) == 0 ? -kInf
                                            : std::sin(i * 0.01);
         })},
        {"backwards scale", Trace([](double i) { return std::cos(i * 0.02); }, 1000, -0.33)},
        {"float extremes", Trace([&](double i) { return std::fmod(i, 2) != 0 ? big : -big; })},
        {"tiny span", Trace([](double i) { return 1000.0 + std::fmod(i, 2) * 1e-7; })},
        {"nothing finite", Trace([](std::size_t) { return kNaN; })},
        {"one point", Trace([](std::size_t) { return 3.0; }, 500, 0, 1)},
    };
    for (const auto& [name, trace] : cases) {
        for (const auto& [width, height] :
             {std::pair{800.0, 500.0}, std::pair{200.0, 200.0}, std::pair{150.0, 90.0}}) {
            PlotRequest request;
            request.width = width;
            request.height = height;
            request.traces = {trace};
            request.caption = "a caption too long for a thumbnail, 120 ms, 10 averaged, µs";
            ExpectSoundLayout(LayOutPlot(request), name + " at " + std::to_string(width));
        }
    }
}

TEST(PlotLayout, NiceTicksAreRoundStepsInsideAnyRange) {
    std::mt19937_64 random(17);
    std::uniform_real_distribution<double> exponent(-8, 12);
    std::uniform_real_distribution<double> unit(-1, 1);
    for (int round = 0; round < 20000; ++round) {
        const double scale = std::pow(10.0, exponent(random));
        const double a = unit(random) * scale;
        const double b = a + std::fabs(unit(random)) * scale + scale * 1e-6;
        const int wanted = 2 + round % 10;
        const double step = NiceTickStep({a, b}, wanted);
        const double mantissa = step / std::pow(10.0, std::floor(std::log10(step) + 1e-9));
        ASSERT_TRUE(std::fabs(mantissa - 1) < 1e-9 || std::fabs(mantissa - 2) < 1e-9 ||
                    std::fabs(mantissa - 5) < 1e-9 || std::fabs(mantissa - 10) < 1e-9)
            << step;
        const std::vector<double> ticks = NiceTicks({a, b}, step);
        ASSERT_LE(ticks.size(), static_cast<std::size_t>(wanted) + 1);
        const double largest = std::max(std::fabs(a), std::fabs(b));
        for (const double tick : ticks) {
            ASSERT_TRUE(tick >= a && tick <= b);
            ASSERT_NEAR(std::remainder(tick, step), 0.0, step * 1e-6);
            // Each label reads back as its tick, so no two neighbours read alike.
            const std::string label = FormatTickLabel(tick, step, largest);
            double read = kNaN;
            std::from_chars(label.data(), label.data() + label.size(), read);
            ASSERT_NEAR(read, tick, step * 1e-3) << label << " for a step of " << step;
        }
    }
}

// Squeezed into few columns, the line keeps each peak and dip, in both directions, and
// a missing value splits it.
TEST(PlotLayout, ThinningKeepsPeaksAndGaps) {
    PlotTrace trace = Trace([](double i) {
        return i == 1001 ? 900.0 : i == 1500 ? -900.0 : std::sin(i);
    });
    trace.y[300] = kNaN;
    PlotRequest request;
    request.width = 200;
    request.height = 150;
    request.traces = {trace};
    const PlotLayout layout = LayOutPlot(request);
    ASSERT_EQ(layout.lines.size(), 1u);
    const auto& segments = layout.lines[0].segments;
    ASSERT_EQ(segments.size(), 2u);
    double highest = kInf;
    double lowest = -kInf;
    std::size_t points = 0;
    for (const auto& segment : segments) {
        points += segment.size();
        for (const PlotPoint& point : segment) {
            highest = std::min(highest, point.y);
            lowest = std::max(lowest, point.y);
        }
    }
    const auto pixelY = [&](double value) {
        return layout.area.bottom -
               (value - layout.yRange.low) / layout.yRange.Span() * layout.area.Height();
    };
    EXPECT_NEAR(highest, pixelY(900.0), 1e-9);
    EXPECT_NEAR(lowest, pixelY(-900.0), 1e-9);
    EXPECT_LE(points, 4 * static_cast<std::size_t>(layout.area.Width() + 2));
}

TEST(PlotLayout, ADragZoomsToTheDataUnderItAndATwitchDoesNot) {
    PlotRequest request;
    request.traces = {Trace([](double i) { return i; })};
    const PlotLayout layout = LayOutPlot(request);
    EXPECT_FALSE(ZoomFromDrag(layout, {300, 200}, {302, 260}));
    const PlotPoint a{layout.area.left + layout.area.Width() / 4, layout.area.top};
    const PlotPoint b{layout.area.left + layout.area.Width() / 2, layout.area.bottom + 50};
    const std::optional<PlotZoom> zoom = ZoomFromDrag(layout, b, a);
    ASSERT_TRUE(zoom);
    EXPECT_NEAR(zoom->x.low, layout.xRange.low + layout.xRange.Span() / 4, 1e-9);
    EXPECT_NEAR(zoom->y.low, layout.yRange.low, 1e-9) << "clipped to the plot";
    request.xView = zoom->x;
    request.yView = zoom->y;
    ExpectSoundLayout(LayOutPlot(request), "zoomed");
}

TEST(SpectrumPlot, SelectionsBecomeOnePlotAnOverlayOrAReason) {
    const std::vector<unsigned char> lamp = testdata::MakeLampSpectrum().Bytes();
    const PlotSource spectrum = PlotSourceFromBytes("lamp.scope_ks", lamp.data(), lamp.size());
    const PlotSource notes = PlotSourceFromBytes("notes.txt", lamp.data() + 1, 100);
    const PlotSource cut = PlotSourceFromBytes("cut.scope_ks", lamp.data(), 8000);
    EXPECT_EQ(notes.reason, "notes.txt: not a spectrum file that KiroConv reads");
    EXPECT_FALSE(cut.spectrum);

    const PlotContent one = SpectrumPlotContent({spectrum}, 1);
    ASSERT_TRUE(one.plot);
    EXPECT_EQ(one.plot->caption.rfind("lamp.scope_ks: scope, ", 0), 0u);
    // A name of any bytes is drawn: the picture's texts must be UTF-8 without controls.
    const PlotContent odd = SpectrumPlotContent(
        {PlotSourceFromBytes("l\xFF\x1B\n.scope_ks", lamp.data(), lamp.size())}, 1);
    ASSERT_TRUE(odd.plot);
    EXPECT_EQ(odd.plot->caption.rfind("l\\xFF\\x1B\\n.scope_ks: scope, ", 0), 0u);
    EXPECT_EQ(odd.plot->traces[0].label, "l\\xFF\\x1B\\n.scope_ks");
    EXPECT_EQ(one.plot->traces.front().unit, "Counts");
    const PlotContent none = SpectrumPlotContent({notes}, 1);
    EXPECT_FALSE(none.plot);
    EXPECT_EQ(none.text, notes.reason + ".");
    EXPECT_EQ(none.text.find('\n'), std::string::npos);

    const std::vector<PlotSource> many(kMaxOverlaidSpectra, spectrum);
    const PlotContent overlay = SpectrumPlotContent(many, 12);
    ASSERT_TRUE(overlay.plot);
    EXPECT_EQ(overlay.plot->traces.size(), kMaxOverlaidSpectra);
    EXPECT_NE(overlay.plot->caption.find("12"), std::string::npos);
    EXPECT_EQ(LayOutPlot(*overlay.plot).legend.size(), kMaxOverlaidSpectra);
    const PlotContent mixed = SpectrumPlotContent({spectrum, notes, spectrum}, 3);
    ASSERT_TRUE(mixed.plot);
    EXPECT_EQ(mixed.plot->traces.size(), 2u);
    EXPECT_NE(mixed.plot->caption.find(notes.reason), std::string::npos);
}

PlotSource Source(const std::string& name, const testdata::SpectrumFixture& fixture,
                  const std::string& folder = "/data") {
    const std::vector<unsigned char> bytes = fixture.Bytes();
    PlotSource source = PlotSourceFromBytes(name, bytes.data(), bytes.size());
    source.folder = folder;
    return source;
}

// Counts and absorbance each get an axis of their own, the absorbance's on the right with
// dashed curves, and the legend says which side is whose. A third unit has no axis: the
// preview leaves its files out and names them, the command line refuses.
TEST(SpectrumPlot, TwoUnitsGetALeftAndARightAxisAndAThirdIsLeftOut) {
    const std::vector<PlotSource> sources = {
        Source("lamp.scope_ks", testdata::MakeLampSpectrum()),
        Source("leaf.absorbance_ks", testdata::MakeAbsorbanceSpectrum()),
        Source("dark.dark_ks", testdata::MakeDarkSpectrum()),
        Source("leaf.transmission_ks", testdata::MakeTransmissionSpectrum())};
    EXPECT_EQ(UnitsRefusal({sources[0], sources[1], sources[2]}), "");
    EXPECT_EQ(UnitsRefusal(sources),
              "The files hold 3 units: counts (lamp.scope_ks, dark.dark_ks), absorbance "
              "(leaf.absorbance_ks) and transmission (leaf.transmission_ks); a picture shows at "
              "most two, on a left and a right axis.");
    const PlotContent content = SpectrumPlotContent(sources, 4);
    ASSERT_TRUE(content.plot);
    ASSERT_EQ(content.plot->traces.size(), 3u);
    EXPECT_EQ(content.plot->notes,
              std::vector<std::string>{"Not drawn, as a picture shows two units at most: "
                                       "leaf.transmission_ks (Transmission)"});
    PlotRequest request = *content.plot;
    request.width = 800;
    request.height = 500;
    const PlotLayout layout = LayOutPlot(request);
    ExpectSoundLayout(layout, "two units");
    ASSERT_TRUE(layout.y2Range);
    EXPECT_GT(layout.yRange.high, 3000) << "counts on the left";
    EXPECT_LT(layout.y2Range->high, 2) << "absorbance on the right";
    ASSERT_FALSE(layout.y2Ticks.empty());
    ASSERT_EQ(layout.lines.size(), 3u);
    EXPECT_FALSE(layout.lines[0].dashed);
    EXPECT_TRUE(layout.lines[1].dashed);
    EXPECT_FALSE(layout.lines[2].dashed);
    // On its own scale the absorbance peak reaches the top, far from a flat line at zero.
    double highest = layout.area.bottom;
    for (const auto& segment : layout.lines[1].segments) {
        for (const PlotPoint& point : segment) {
            highest = std::min(highest, point.y);
        }
    }
    EXPECT_LT(highest, layout.area.top + layout.area.Height() * 0.2);
    const auto shown = [&](const std::string& text) {
        return std::find_if(layout.texts.begin(), layout.texts.end(),
                            [&](const PlotText& t) { return t.text == text; });
    };
    ASSERT_NE(shown("Absorbance"), layout.texts.end());
    EXPECT_GT(shown("Absorbance")->at.x, layout.area.right);
    EXPECT_LT(shown("Counts")->at.x, layout.area.left);
    std::vector<std::string> legend;
    for (const PlotLegendEntry& entry : layout.legend) {
        legend.push_back(entry.label.text + (entry.swatch ? entry.dashed ? " - -" : " ---" : ""));
    }
    EXPECT_EQ(legend, (std::vector<std::string>{"Left axis: Counts", "lamp.scope_ks ---",
                                                "dark.dark_ks ---", "Right axis: Absorbance",
                                                "leaf.absorbance_ks - -"}));
    ASSERT_EQ(layout.axisKeys.size(), 2u) << "a line in each side's style under its title";
    EXPECT_FALSE(layout.axisKeys[0].dashed);
    EXPECT_TRUE(layout.axisKeys[1].dashed);
    // Too small for the legend's headings: the keys still say which side is whose.
    request.width = request.height = 256;
    const PlotLayout small = LayOutPlot(request);
    ExpectSoundLayout(small, "two units at 256 pixels");
    EXPECT_FALSE(small.legendBox);
    EXPECT_EQ(small.axisKeys.size(), 2u);
    const std::optional<PlotZoom> zoom =
        ZoomFromDrag(layout, {layout.area.left, layout.area.top},
                     {layout.area.right, (layout.area.top + layout.area.bottom) / 2});
    ASSERT_TRUE(zoom && zoom->y2);
    EXPECT_NEAR(zoom->y2->high, layout.y2Range->high, 1e-9);
}

// Under 200 pixels on its shorter side a picture is a thumbnail: curves and frame only.
TEST(SpectrumPlot, ThumbnailsShowOnlyTheCurvesInTheirFrame) {
    PlotRequest request =
        *SpectrumPlotContent({Source("lamp.scope_ks", testdata::MakeLampSpectrum()),
                              Source("leaf.absorbance_ks", testdata::MakeAbsorbanceSpectrum())},
                             2)
             .plot;
    for (const auto& [width, height] : {std::pair{128.0, 128.0}, std::pair{256.0, 199.0}}) {
        request.width = width;
        request.height = height;
        const PlotLayout thumbnail = LayOutPlot(request);
        EXPECT_TRUE(thumbnail.texts.empty() && thumbnail.gridLines.empty() &&
                    thumbnail.tickMarks.empty() && !thumbnail.legendBox);
        EXPECT_EQ(thumbnail.lines.size(), 2u);
        EXPECT_GE(thumbnail.area.Width(), width - 5) << "the curves fill the picture";
    }
}

// Files of one name are told apart by the shortest run of folder names that only one has.
TEST(SpectrumPlot, FilesOfOneNameAreToldApartByTheirFolders) {
    EXPECT_EQ(
        DistinctLabels({"lamp", "lamp", "dark"},
                       {"/data/2024/run1", "/data/2025/run1", "/data/2024/run1"}),
        (std::vector<std::string>{"lamp (2024/\xE2\x80\xA6)", "lamp (2025/\xE2\x80\xA6)", "dark"}));
    EXPECT_EQ(DistinctLabels({"a", "a"}, {"/x/a", "/a/x"}),
              (std::vector<std::string>{"a (x/a)", "a (a/x)"}));
    EXPECT_EQ(DistinctLabels({"a", "a", "a"}, {"/data", "/data/old", "\\My Documents\\B"}),
              (std::vector<std::string>{"a (/data)", "a (old)", "a (B)"}));
    const PlotContent content =
        SpectrumPlotContent({Source("lamp.scope_ks", testdata::MakeLampSpectrum(), "/in/a"),
                             Source("lamp.scope_ks", testdata::MakeLampSpectrum(2), "/in/b")},
                            2);
    ASSERT_TRUE(content.plot);
    EXPECT_EQ(content.plot->traces[1].label, "lamp.scope_ks (b)");
}

// A look at a handheld file reads no more than asked and gives the handle back.
TEST(DeviceFileRead, ReadsAtMostTheLimitAndStopsAtALostHandheld) {
    test::CFakeRemoteApi api;
    test::CRecordingMessageBox messageBox;
    CDeviceLink link(api, messageBox);
    api.AddFile(u"\\Data\\big.scope_ks", std::string(20000, 'x'));
    EXPECT_EQ(link.ReadFileToMemory(u"\\Data", u"big.scope_ks", 100).status,
              CopyStatus::NotConnected);
    ASSERT_EQ(link.Connect(), kConnectOk);
    const CDeviceLink::DeviceFileBytes read =
        link.ReadFileToMemory(u"\\Data", u"big.scope_ks", 9000);
    EXPECT_EQ(read.status, CopyStatus::Copied);
    EXPECT_EQ(read.bytes.size(), 9000u);
    EXPECT_EQ(api.openHandles, 0);
    EXPECT_EQ(link.ReadFileToMemory(u"\\Data", u"..", 100).status, CopyStatus::UnsafeFileName);
    EXPECT_EQ(link.ReadFileToMemory(u"\\Data", u"gone", 100).status,
              CopyStatus::DeviceFileCannotBeOpened);
    api.files[u"\\Data\\big.scope_ks"].failReadAfter = 5000;
    api.onRead = [&api] { api.LoseConnection(); };
    const CDeviceLink::DeviceFileBytes lost =
        link.ReadFileToMemory(u"\\Data", u"big.scope_ks", 9000);
    EXPECT_EQ(lost.status, CopyStatus::ConnectionLost);
    EXPECT_TRUE(lost.bytes.empty());
    EXPECT_TRUE(link.ConnectionLost());
}

}  // namespace
}  // namespace kiro
