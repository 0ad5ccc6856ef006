#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kiro {

// The picture of one or more spectra, worked out once and drawn by every front end
// (the window with its graphics context, the command line with Cairo). Coordinates are
// pixels, y downwards. The layout knows no toolkit: text widths are estimated from the
// font's average character width, which the drawers use too when they place text.

struct PlotRange {
    double low = 0.0;
    double high = 1.0;
    double Span() const { return high - low; }
};

struct PlotPoint {
    double x = 0.0;
    double y = 0.0;
};

struct PlotRect {
    double left = 0.0;
    double top = 0.0;
    double right = 0.0;
    double bottom = 0.0;
    double Width() const { return right - left; }
    double Height() const { return bottom - top; }
};

struct PlotColour {
    unsigned char red;
    unsigned char green;
    unsigned char blue;
};

// One colour per overlaid spectrum, distinct on a white ground.
inline constexpr std::array<PlotColour, 8> kPlotPalette{{{31, 119, 180},
                                                         {214, 39, 40},
                                                         {44, 160, 44},
                                                         {255, 127, 14},
                                                         {148, 103, 189},
                                                         {140, 86, 75},
                                                         {227, 119, 194},
                                                         {23, 190, 207}}};

struct PlotFont {
    double size = 11.0;      // pixels
    double charWidth = 6.6;  // average advance of one character
    double lineHeight = 16.0;
};

// Right-axis curves are dashed: on, off, in pixels.
inline constexpr std::array<double, 2> kPlotDash{6.0, 3.0};

// Below this many pixels on its shorter side a picture is a thumbnail: the curves and their
// frame only, as a file manager shows it at 128 or 256 pixels.
inline constexpr double kThumbnailSide = 200.0;

// One spectrum: the name its legend entry shows, the unit of its values (its y axis's
// title; spectra of one unit share an axis) and its points in their order.
struct PlotTrace {
    std::string label;
    std::string unit;
    std::vector<double> x;
    std::vector<double> y;
};

struct PlotRequest {
    double width = 640.0;
    double height = 400.0;
    // The first unit met gets the left axis, the second the right one; spectra of any
    // further unit are not drawn (SpectrumPlotContent leaves them out and says so).
    std::vector<PlotTrace> traces;
    std::string caption;             // one line above the plot; may be empty
    std::vector<std::string> notes;  // lines under the caption
    std::string xTitle = "Wavelength (nm)";
    // A zoomed part of the data; the whole of it when empty.
    std::optional<PlotRange> xView;
    std::optional<PlotRange> yView;
    std::optional<PlotRange> y2View;
    PlotFont font;
};

// The units of the traces, each once, in the order met: the axes' titles.
std::vector<std::string> AxisUnits(const std::vector<PlotTrace>& traces);

enum class TextAlign { Left, Centre, Right };

// A line of text. `at` is the anchor on the text's vertical middle: its left end, centre
// or right end as `align` says; a rotated text reads upwards, centred on `at`.
struct PlotText {
    std::string text;
    PlotPoint at;
    TextAlign align = TextAlign::Left;
    bool rotated = false;
};

struct PlotTick {
    double value = 0.0;
    double position = 0.0;  // pixel x of an x tick, pixel y of a y tick
    std::string label;
};

struct PlotSegment {
    PlotPoint from;
    PlotPoint to;
};

struct PlotLine {
    std::size_t colour = 0;  // index into kPlotPalette
    bool dashed = false;     // drawn against the right axis
    // A polyline per run of finite values: missing or infinite values leave a gap.
    std::vector<std::vector<PlotPoint>> segments;
};

// A legend row: a swatch in its line's colour and style with the file's name, or a heading
// without a swatch ("Left axis: Counts") when two axes are drawn.
struct PlotLegendEntry {
    std::size_t colour = 0;
    bool dashed = false;
    bool swatch = true;
    PlotPoint swatchFrom;
    PlotPoint swatchTo;
    PlotText label;
};

// A short line beside an axis's title in the style of that axis's curves.
struct PlotAxisKey {
    PlotSegment line;
    bool dashed = false;
};

// Everything a drawer needs, in pixels: it strokes the grid lines light, the tick marks and
// the frame (the area's outline) and the axis keys dark, the lines in their colours clipped
// to the area, the texts, then the legend over a white box. It decides nothing itself.
struct PlotLayout {
    double width = 0.0;
    double height = 0.0;
    PlotFont font;
    PlotRect area;  // the data are drawn inside it; drawers clip to it
    PlotRange xRange;
    PlotRange yRange;                  // the left axis
    std::optional<PlotRange> y2Range;  // the right axis, when a second unit is drawn
    std::vector<PlotTick> xTicks;
    std::vector<PlotTick> yTicks;
    std::vector<PlotTick> y2Ticks;
    double lineWidth = 1.25;
    std::vector<PlotSegment> gridLines;
    std::vector<PlotSegment> tickMarks;
    std::vector<PlotAxisKey> axisKeys;  // with two axes; drawn dark like the tick marks
    std::vector<PlotLine> lines;
    // Tick labels, axis titles, the caption and any note, ready to draw.
    std::vector<PlotText> texts;
    std::optional<PlotRect> legendBox;
    std::vector<PlotLegendEntry> legend;
};

PlotLayout LayOutPlot(const PlotRequest& request);

// The data ranges under a rectangle dragged over the plot, or nothing for a drag too
// small to mean a zoom.
struct PlotZoom {
    PlotRange x;
    PlotRange y;
    std::optional<PlotRange> y2;
};
std::optional<PlotZoom> ZoomFromDrag(const PlotLayout& layout, PlotPoint from, PlotPoint to);

// Round tick values inside `range` (1, 2 or 5 times a power of ten apart), at most
// about `maxTicks` of them, and their labels with as many decimals as the step needs.
double NiceTickStep(PlotRange range, int maxTicks);
std::vector<double> NiceTicks(PlotRange range, double step);
std::string FormatTickLabel(double value, double step, double largest);

// The estimated width of a text in pixels.
double EstimatedTextWidth(const PlotFont& font, std::string_view text);
// The text, or as much of it as fits `width` with "…" after it.
std::string FitText(const PlotFont& font, const std::string& text, double width);

}  // namespace kiro
