#include "plot/SvgPlot.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "platform/DisplayText.h"

namespace kiro {

namespace {

constexpr const char* kGridColour = "#e6e6e6";
constexpr const char* kDarkColour = "#333333";
constexpr const char* kLegendFrameColour = "#999999";
// The text's vertical middle lies this far above its baseline, in font sizes.
constexpr double kMiddleAboveBaseline = 0.35;

// Hundredths of a pixel, without trailing zeros; "." whatever the locale. A value that is
// not finite (the layout never gives one) is written 0, so the document stays valid.
std::string Number(double value) {
    if (!std::isfinite(value)) {
        return "0";
    }
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 2);
    std::string number(text, result.ptr);
    while (number.back() == '0') {
        number.pop_back();
    }
    if (number.back() == '.') {
        number.pop_back();
    }
    return number == "-0" ? "0" : number;
}

std::string Colour(const PlotColour& colour) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", colour.red, colour.green, colour.blue);
    return text;
}

std::string PaletteColour(std::size_t index) {
    return Colour(kPlotPalette[index % kPlotPalette.size()]);
}

std::string Dash(bool dashed) {
    return dashed
               ? " stroke-dasharray=\"" + Number(kPlotDash[0]) + " " + Number(kPlotDash[1]) + "\""
               : "";
}

// Crisp one-pixel strokes: on the pixel's middle, as the PNG draws them.
double Crisp(double coordinate) {
    return std::round(coordinate) + 0.5;
}

class CSvgDocument {
public:
    explicit CSvgDocument(const PlotLayout& layout) : m_layout(layout) {}

    std::string Write() {
        const std::string width = Number(std::max(1.0, std::round(m_layout.width)));
        const std::string height = Number(std::max(1.0, std::round(m_layout.height)));
        Line("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
        Line("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + width + "\" height=\"" +
             height + "\" viewBox=\"0 0 " + width + " " + height +
             "\" font-family=\"sans-serif\" font-size=\"" + Number(m_layout.font.size) + "\">");
        Line("<rect width=\"" + width + "\" height=\"" + height + "\" fill=\"#ffffff\"/>");
        WriteGridAndFrame();
        WriteLines();
        Line("<g fill=\"#000000\">");
        for (const PlotText& text : m_layout.texts) {
            WriteText(text);
        }
        Line("</g>");
        WriteLegend();
        Line("</svg>");
        return std::move(m_out);
    }

private:
    void Line(const std::string& text) { m_out += text + "\r\n"; }

    void Segments(const std::vector<PlotSegment>& segments, const char* colour) {
        if (segments.empty()) {
            return;
        }
        std::string path;
        for (const PlotSegment& segment : segments) {
            path += (path.empty() ? "M" : " M") + Number(Crisp(segment.from.x)) + " " +
                    Number(Crisp(segment.from.y)) + " L" + Number(Crisp(segment.to.x)) + " " +
                    Number(Crisp(segment.to.y));
        }
        Line("<path d=\"" + path + "\" fill=\"none\" stroke=\"" + colour +
             "\" stroke-width=\"1\"/>");
    }

    void StraightLine(const PlotSegment& line, const std::string& colour, double width,
                      bool dashed) {
        Line("<line x1=\"" + Number(line.from.x) + "\" y1=\"" + Number(line.from.y) + "\" x2=\"" +
             Number(line.to.x) + "\" y2=\"" + Number(line.to.y) + "\" stroke=\"" + colour +
             "\" stroke-width=\"" + Number(width) + "\"" + Dash(dashed) + "/>");
    }

    void WriteGridAndFrame() {
        const PlotRect& area = m_layout.area;
        Segments(m_layout.gridLines, kGridColour);
        Segments(m_layout.tickMarks, kDarkColour);
        Line("<rect x=\"" + Number(Crisp(area.left)) + "\" y=\"" + Number(Crisp(area.top)) +
             "\" width=\"" + Number(std::round(area.Width())) + "\" height=\"" +
             Number(std::round(area.Height())) + "\" fill=\"none\" stroke=\"" + kDarkColour +
             "\" stroke-width=\"1\"/>");
        for (const PlotAxisKey& key : m_layout.axisKeys) {
            StraightLine(key.line, kDarkColour, m_layout.lineWidth, key.dashed);
        }
    }

    // Each run of finite values is a polyline, clipped to the area as on screen.
    void WriteLines() {
        const PlotRect& area = m_layout.area;
        Line("<clipPath id=\"area\"><rect x=\"" + Number(area.left) + "\" y=\"" + Number(area.top) +
             "\" width=\"" + Number(area.Width()) + "\" height=\"" + Number(area.Height()) +
             "\"/></clipPath>");
        Line("<g clip-path=\"url(#area)\" fill=\"none\" stroke-width=\"" +
             Number(m_layout.lineWidth) + "\" stroke-linejoin=\"round\">");
        for (const PlotLine& line : m_layout.lines) {
            for (const std::vector<PlotPoint>& run : line.segments) {
                // A lone point draws nothing, in the PNG as here.
                if (run.size() < 2) {
                    continue;
                }
                std::string points;
                points.reserve(run.size() * 16);
                for (const PlotPoint& point : run) {
                    points += (points.empty() ? "" : " ") + Number(point.x) + "," + Number(point.y);
                }
                Line("<polyline stroke=\"" + PaletteColour(line.colour) + "\"" + Dash(line.dashed) +
                     " points=\"" + points + "\"/>");
            }
        }
        Line("</g>");
    }

    // The anchor is the text's vertical middle; SVG places the baseline.
    void WriteText(const PlotText& text) {
        const char* anchor = text.align == TextAlign::Left     ? "start"
                             : text.align == TextAlign::Centre ? "middle"
                                                               : "end";
        const std::string baseline = Number(m_layout.font.size * kMiddleAboveBaseline);
        const std::string place =
            text.rotated ? " transform=\"translate(" + Number(text.at.x) + " " + Number(text.at.y) +
                               ") rotate(-90)\" x=\"0\" y=\"" + baseline + "\""
                         : " x=\"" + Number(text.at.x) + "\" y=\"" +
                               Number(text.at.y + m_layout.font.size * kMiddleAboveBaseline) + "\"";
        Line("<text" + place + " text-anchor=\"" + anchor + "\">" + XmlText(text.text) + "</text>");
    }

    void WriteLegend() {
        if (!m_layout.legendBox) {
            return;
        }
        const PlotRect& box = *m_layout.legendBox;
        Line("<rect x=\"" + Number(box.left) + "\" y=\"" + Number(box.top) + "\" width=\"" +
             Number(box.Width()) + "\" height=\"" + Number(box.Height()) +
             "\" fill=\"#ffffff\" fill-opacity=\"0.9\" stroke=\"" + kLegendFrameColour +
             "\" stroke-width=\"1\"/>");
        for (const PlotLegendEntry& entry : m_layout.legend) {
            if (entry.swatch) {
                StraightLine({entry.swatchFrom, entry.swatchTo}, PaletteColour(entry.colour), 2.0,
                             entry.dashed);
            }
        }
        Line("<g fill=\"#000000\">");
        for (const PlotLegendEntry& entry : m_layout.legend) {
            WriteText(entry.label);
        }
        Line("</g>");
    }

    const PlotLayout& m_layout;
    std::string m_out;
};

}  // namespace

std::string XmlText(std::string_view text) {
    const std::string shown = EscapeControlCharacters(text);
    std::string out;
    out.reserve(shown.size());
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const char c = shown[i];
        // U+FFFE and U+FFFF are EF BF BE and EF BF BF.
        if (c == '\xEF' && shown.compare(i + 1, 1, "\xBF") == 0 && i + 2 < shown.size() &&
            (shown[i + 2] == '\xBE' || shown[i + 2] == '\xBF')) {
            out += shown[i + 2] == '\xBE' ? "\\uFFFE" : "\\uFFFF";
            i += 2;
            continue;
        }
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&apos;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string PlotSvg(const PlotLayout& layout) {
    return CSvgDocument(layout).Write();
}

}  // namespace kiro
