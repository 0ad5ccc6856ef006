#include "support/PictureChecks.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <sstream>

namespace kiro::test {

namespace {

double ToNumber(const std::string& text) {
    return text.empty() ? std::numeric_limits<double>::quiet_NaN()
                        : std::strtod(text.c_str(), nullptr);
}

// The attribute's value within one tag.
std::string Attribute(const std::string& tag, const std::string& name) {
    const std::string key = " " + name + "=\"";
    const std::size_t at = tag.find(key);
    if (at == std::string::npos) {
        return "";
    }
    const std::size_t from = at + key.size();
    return tag.substr(from, tag.find('"', from) - from);
}

// Each tag that starts with `start`, up to its closing ">".
std::vector<std::string> Tags(const std::string& svg, const std::string& start) {
    std::vector<std::string> tags;
    for (std::size_t at = svg.find(start); at != std::string::npos; at = svg.find(start, at + 1)) {
        tags.push_back(svg.substr(at, svg.find('>', at + start.size()) + 1 - at));
    }
    return tags;
}

double SegmentDistance(PlotPoint p, PlotPoint a, PlotPoint b) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double length = dx * dx + dy * dy;
    const double t =
        length == 0 ? 0 : std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / length, 0.0, 1.0);
    return std::hypot(p.x - a.x - t * dx, p.y - a.y - t * dy);
}

double DistanceToRuns(PlotPoint p, const std::vector<std::vector<PlotPoint>>& runs) {
    double nearest = std::numeric_limits<double>::infinity();
    for (const auto& run : runs) {
        for (std::size_t i = 0; i + 1 < run.size(); ++i) {
            nearest = std::min(nearest, SegmentDistance(p, run[i], run[i + 1]));
        }
    }
    return nearest;
}

// How much of `colour` over white the pixel holds (0 white, 1 the colour), or -1 when the
// pixel is of another hue (grey grid, dark frame, black text, another curve).
double Coverage(const RgbPicture& picture, int x, int y, PlotColour colour) {
    const unsigned char* pixel =
        &picture.rgb[3 * (static_cast<std::size_t>(y) * picture.width + x)];
    const double ink[3] = {255.0 - colour.red, 255.0 - colour.green, 255.0 - colour.blue};
    const double seen[3] = {255.0 - pixel[0], 255.0 - pixel[1], 255.0 - pixel[2]};
    const double alpha = (seen[0] + seen[1] + seen[2]) / (ink[0] + ink[1] + ink[2]);
    for (int channel = 0; channel < 3; ++channel) {
        if (std::fabs(seen[channel] - alpha * ink[channel]) > 40.0) {
            return -1.0;
        }
    }
    return alpha > 1.3 ? -1.0 : alpha;
}

}  // namespace

std::vector<SvgPolyline> SvgPolylines(const std::string& svg) {
    std::vector<SvgPolyline> lines;
    for (const std::string& tag : Tags(svg, "<polyline ")) {
        SvgPolyline line{Attribute(tag, "stroke"), !Attribute(tag, "stroke-dasharray").empty(), {}};
        std::istringstream points(Attribute(tag, "points"));
        PlotPoint point;
        char comma = 0;
        while (points >> point.x >> comma >> point.y) {
            line.points.push_back(point);
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

std::vector<SvgText> SvgTexts(const std::string& svg) {
    std::vector<SvgText> texts;
    for (std::size_t at = svg.find("<text "); at != std::string::npos;
         at = svg.find("<text ", at + 1)) {
        const std::size_t close = svg.find('>', at);
        const std::string tag = svg.substr(at, close + 1 - at);
        SvgText text;
        text.content = svg.substr(close + 1, svg.find("</text>", close) - close - 1);
        text.x = ToNumber(Attribute(tag, "x"));
        text.y = ToNumber(Attribute(tag, "y"));
        text.anchor = Attribute(tag, "text-anchor");
        const std::string transform = Attribute(tag, "transform");
        text.rotated = transform.find("rotate(-90)") != std::string::npos;
        if (transform.starts_with("translate(")) {
            std::istringstream origin(transform.substr(10));
            origin >> text.translate.x >> text.translate.y;
        }
        texts.push_back(std::move(text));
    }
    return texts;
}

std::string SvgAttribute(const std::string& svg, const std::string& start,
                         const std::string& name) {
    const std::vector<std::string> tags = Tags(svg, start);
    return tags.empty() ? "" : Attribute(tags.front(), name);
}

PlotRect SvgRect(const std::string& svg, const std::string& start) {
    const double x = ToNumber(SvgAttribute(svg, start, "x"));
    const double y = ToNumber(SvgAttribute(svg, start, "y"));
    return {x, y, x + ToNumber(SvgAttribute(svg, start, "width")),
            y + ToNumber(SvgAttribute(svg, start, "height"))};
}

std::string CurveMisplacement(const RgbPicture& picture,
                              const std::vector<std::vector<PlotPoint>>& runs, PlotColour colour,
                              const PlotRect& area, double tolerance) {
    std::ostringstream fault;
    std::size_t inked = 0;
    const int left = std::max(0, static_cast<int>(std::ceil(area.left)) + 1);
    const int right = std::min(picture.width, static_cast<int>(std::floor(area.right)) - 1);
    const int top = std::max(0, static_cast<int>(std::ceil(area.top)) + 1);
    const int bottom = std::min(picture.height, static_cast<int>(std::floor(area.bottom)) - 1);
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            if (Coverage(picture, x, y, colour) < 0.5) {
                continue;
            }
            ++inked;
            const double distance = DistanceToRuns({x + 0.5, y + 0.5}, runs);
            if (distance > tolerance) {
                fault << "a pixel of the curve at " << x << "," << y << " lies " << distance
                      << " px from it\n";
                return fault.str();
            }
        }
    }
    if (inked < static_cast<std::size_t>(std::max(1, right - left) / 2)) {
        fault << "only " << inked << " pixels of the curve's colour in the plot area\n";
        return fault.str();
    }
    const int reach = static_cast<int>(std::ceil(tolerance));
    for (const auto& run : runs) {
        for (const PlotPoint& point : run) {
            const int px = static_cast<int>(std::floor(point.x));
            const int py = static_cast<int>(std::floor(point.y));
            if (px - reach < left || px + reach >= right || py - reach < top ||
                py + reach >= bottom) {
                continue;
            }
            bool found = false;
            for (int y = py - reach; y <= py + reach && !found; ++y) {
                for (int x = px - reach; x <= px + reach && !found; ++x) {
                    found = Coverage(picture, x, y, colour) >= 0.3;
                }
            }
            if (!found) {
                fault << "no pixel of the curve near its point " << point.x << "," << point.y
                      << "\n";
                return fault.str();
            }
        }
    }
    return "";
}

}  // namespace kiro::test
