#pragma once

#include <string>
#include <vector>

#include "plot/PlotLayout.h"

namespace kiro::test {

// What a picture file shows, read back without the code that wrote it.

// A polyline of an SVG picture: its stroke colour ("#1f77b4"), whether dashed, its points.
struct SvgPolyline {
    std::string colour;
    bool dashed = false;
    std::vector<PlotPoint> points;
};
// A <text> element: its content as written (entities and all), its x and y attributes (in
// the rotated frame for a rotated text), the anchor and whether rotated.
struct SvgText {
    std::string content;
    double x = 0.0;
    double y = 0.0;
    std::string anchor;
    bool rotated = false;
    PlotPoint translate;  // the rotated frame's origin
};
std::vector<SvgPolyline> SvgPolylines(const std::string& svg);
std::vector<SvgText> SvgTexts(const std::string& svg);
// The value of attribute `name` of the first element that starts with `start` ("<svg",
// "<clipPath id=\"area\"><rect"), "" when none.
std::string SvgAttribute(const std::string& svg, const std::string& start, const std::string& name);
// The rectangle of the first element that starts with `start` (x, y, width, height).
PlotRect SvgRect(const std::string& svg, const std::string& start);

// A decoded picture, three bytes a pixel, rows top down.
struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
};

// The curve of `colour` drawn through `runs` inside `area`: some of its pixels are there,
// every pixel of that colour in the area lies within `tolerance` pixels of a run, and each
// point of a run away from the area's edge has a pixel of the colour that near. An
// antialiased pixel counts when it is at least half the colour over white. "" when so,
// otherwise what is wrong.
std::string CurveMisplacement(const RgbPicture& picture,
                              const std::vector<std::vector<PlotPoint>>& runs, PlotColour colour,
                              const PlotRect& area, double tolerance = 2.0);

}  // namespace kiro::test
