#include "plot/SvgPlot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/Utf16.h"
#include "support/PictureChecks.h"

namespace kiro {
namespace {

using test::SvgPolyline;
using test::SvgText;

PlotTrace Trace(std::string label, std::string unit, double scale) {
    PlotTrace trace{std::move(label), std::move(unit), {}, {}};
    for (int i = 0; i < 600; ++i) {
        trace.x.push_back(340 + 0.6 * i);
        trace.y.push_back(scale * (1.5 + std::sin(i / 40.0)));
    }
    return trace;
}

// Two units on two axes, a gap in the first curve, and names of hostile bytes.
PlotLayout TwoAxesWithHostileNames() {
    PlotRequest request;
    request.width = 900;
    request.height = 500;
    request.caption = "<b>&\"'\x01\xFF";
    request.traces = {Trace("lamp <1>.scope_ks", "Counts", 1000),
                      Trace("leaf & \"2\".absorbance_ks\x1B", "Absorbance", 1)};
    request.traces[0].y[300] = std::numeric_limits<double>::quiet_NaN();
    return LayOutPlot(request);
}

// Every line ends in CR LF; no other control character and no byte that is not UTF-8.
void ExpectPlainUtf8Lines(const std::string& svg) {
    std::string_view rest = svg;
    while (!rest.empty()) {
        const std::size_t length = Utf8SequenceLength(rest);
        ASSERT_NE(length, 0u) << "not UTF-8 at byte " << svg.size() - rest.size();
        const auto c = static_cast<unsigned char>(rest.front());
        if (c == '\r') {
            ASSERT_TRUE(rest.starts_with("\r\n"));
        } else if (c == '\n') {
            ASSERT_EQ(svg[svg.size() - rest.size() - 1], '\r') << "a bare line feed";
        } else {
            ASSERT_GE(c, 0x20) << "a control character in the document";
        }
        rest.remove_prefix(length);
    }
}

bool Near(double a, double b) {
    return std::fabs(a - b) <= 0.006;
}

// The document read back holds the layout: its size, each run of each curve as a polyline
// in the curve's colour and dash, each text at its anchor with its alignment; the legend's
// swatches are lines and not curves.
TEST(SvgPlot, HoldsTheLayoutsCurvesAndTextsAsWrittenAndAnyNameWellFormed) {
    const PlotLayout layout = TwoAxesWithHostileNames();
    ASSERT_TRUE(layout.y2Range);
    ASSERT_TRUE(layout.legendBox);
    const std::string svg = PlotSvg(layout);
    ExpectPlainUtf8Lines(svg);
    EXPECT_TRUE(svg.starts_with("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<svg "));
    EXPECT_TRUE(svg.ends_with("</svg>\r\n"));
    EXPECT_EQ(test::SvgAttribute(svg, "<svg", "width"), "900");
    EXPECT_EQ(test::SvgAttribute(svg, "<svg", "viewBox"), "0 0 900 500");
    const PlotRect clip = test::SvgRect(svg, "<clipPath id=\"area\"><rect");
    EXPECT_TRUE(Near(clip.left, layout.area.left) && Near(clip.bottom, layout.area.bottom));

    std::vector<SvgPolyline> expected;
    for (const PlotLine& line : layout.lines) {
        for (const auto& run : line.segments) {
            expected.push_back({"", line.dashed, run});
        }
    }
    const std::vector<SvgPolyline> drawn = test::SvgPolylines(svg);
    ASSERT_EQ(drawn.size(), 3u) << "the gap splits the first curve";
    ASSERT_EQ(drawn.size(), expected.size());
    EXPECT_EQ(drawn[0].colour, "#1f77b4");
    EXPECT_EQ(drawn[2].colour, "#d62728");
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        EXPECT_EQ(drawn[i].dashed, expected[i].dashed) << i;
        ASSERT_EQ(drawn[i].points.size(), expected[i].points.size()) << i;
        for (std::size_t p = 0; p < drawn[i].points.size(); ++p) {
            ASSERT_TRUE(Near(drawn[i].points[p].x, expected[i].points[p].x) &&
                        Near(drawn[i].points[p].y, expected[i].points[p].y))
                << "run " << i << " point " << p;
        }
    }
    EXPECT_TRUE(drawn[0].points.size() > 50 && !drawn[0].dashed && drawn[2].dashed);

    std::vector<PlotText> texts = layout.texts;
    for (const PlotLegendEntry& entry : layout.legend) {
        texts.push_back(entry.label);
    }
    const std::vector<SvgText> written = test::SvgTexts(svg);
    ASSERT_EQ(written.size(), texts.size());
    const double baseline = layout.font.size * 0.35;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        SCOPED_TRACE(texts[i].text);
        EXPECT_EQ(written[i].content, XmlText(texts[i].text));
        EXPECT_EQ(written[i].anchor, texts[i].align == TextAlign::Left     ? "start"
                                     : texts[i].align == TextAlign::Centre ? "middle"
                                                                           : "end");
        EXPECT_EQ(written[i].rotated, texts[i].rotated);
        const PlotPoint anchor = written[i].rotated
                                     ? written[i].translate
                                     : PlotPoint{written[i].x, written[i].y - baseline};
        EXPECT_TRUE(Near(anchor.x, texts[i].at.x) && Near(anchor.y, texts[i].at.y));
    }
    EXPECT_EQ(std::count_if(written.begin(), written.end(),
                            [](const SvgText& text) { return text.rotated; }),
              2)
        << "both axes' titles read upwards";
    EXPECT_NE(svg.find(">lamp &lt;1&gt;.scope_ks</text>"), std::string::npos);
}

// Markup characters become entities; control characters, bytes that are not UTF-8 and
// the characters XML forbids are shown escaped; everything else stays.
TEST(SvgPlot, EscapesEveryTextForXml) {
    EXPECT_EQ(XmlText("<a & \"b\" 'c'>"), "&lt;a &amp; &quot;b&quot; &apos;c&apos;&gt;");
    EXPECT_EQ(XmlText("n\x01\x1B\n\x7F\xFF\xC3\x28.scope_ks"),
              "n\\x01\\x1B\\n\\x7F\\xFF\\xC3(.scope_ks");
    EXPECT_EQ(XmlText("\xEF\xBF\xBE\xEF\xBF\xBF\xEF\xBF\xBD"), "\\uFFFE\\uFFFF\xEF\xBF\xBD");
    EXPECT_EQ(XmlText("Blatt \xC3\xA4\xE2\x82\xAC \\ 1/2"), "Blatt \xC3\xA4\xE2\x82\xAC \\ 1/2");
    EXPECT_EQ(XmlText("\xEF\xBF"), "\\xEF\\xBF") << "a sequence cut short";
}

// A deep zoom or an empty picture still gives a whole document: no "nan" or "inf" among
// its numbers, no curve of a lone point.
TEST(SvgPlot, AnEmptyOrZoomedPictureIsStillAWholeDocument) {
    PlotRequest request;
    request.width = 150;
    request.height = 120;
    request.traces = {Trace("t", "Counts", 1)};
    request.xView = PlotRange{400.0, 400.0000001};
    const std::string zoomed = PlotSvg(LayOutPlot(request));
    request.traces.clear();
    const std::string empty = PlotSvg(LayOutPlot(request));
    for (const std::string& svg : {zoomed, empty}) {
        ExpectPlainUtf8Lines(svg);
        EXPECT_EQ(svg.find("nan"), std::string::npos);
        EXPECT_EQ(svg.find("inf"), std::string::npos);
        EXPECT_TRUE(svg.ends_with("</svg>\r\n"));
        for (const SvgPolyline& line : test::SvgPolylines(svg)) {
            EXPECT_GE(line.points.size(), 2u) << "a lone point draws nothing";
        }
    }
}

}  // namespace
}  // namespace kiro
