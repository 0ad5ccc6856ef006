#include "plot/PlotLayout.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace kiro {

namespace {

constexpr double kPadding = 8.0;
constexpr double kTickLength = 4.0;
// Neighbouring labels keep at least this much room between them.
constexpr double kLabelGap = 10.0;
// Pixel coordinates are kept within this distance of the plot, so that a deep zoom
// never hands a drawer numbers it cannot handle; the drawers clip to the area anyway.
constexpr double kCoordinateLimit = 1.0e5;
constexpr std::size_t kMaxTicks = 200;
// The line under an axis's title that shows its curves' style.
constexpr double kAxisKeyLength = 18.0;

struct DataBounds {
    PlotRange x;
    PlotRange y;
    bool any = false;
};

// The bounds of the traces of one unit, or of all when `unit` is null.
DataBounds FiniteBounds(const std::vector<PlotTrace>& traces, const std::string* unit) {
    DataBounds bounds;
    double xLow = std::numeric_limits<double>::infinity();
    double xHigh = -xLow;
    double yLow = xLow;
    double yHigh = -xLow;
    for (const PlotTrace& trace : traces) {
        if (unit != nullptr && trace.unit != *unit) {
            continue;
        }
        const std::size_t count = std::min(trace.x.size(), trace.y.size());
        for (std::size_t i = 0; i < count; ++i) {
            if (!std::isfinite(trace.x[i]) || !std::isfinite(trace.y[i])) {
                continue;
            }
            xLow = std::min(xLow, trace.x[i]);
            xHigh = std::max(xHigh, trace.x[i]);
            yLow = std::min(yLow, trace.y[i]);
            yHigh = std::max(yHigh, trace.y[i]);
            bounds.any = true;
        }
    }
    if (bounds.any) {
        bounds.x = {xLow, xHigh};
        bounds.y = {yLow, yHigh};
    }
    return bounds;
}

// A range with room to draw in: a flat one is opened around its value, one too narrow
// for a double to tell its ticks apart likewise.
PlotRange Opened(PlotRange range) {
    const double magnitude = std::max(std::fabs(range.low), std::fabs(range.high));
    if (range.Span() > magnitude * 1e-9 && std::isfinite(range.Span())) {
        return range;
    }
    const double middle = range.low / 2 + range.high / 2;
    const double half = std::max(1.0, std::fabs(middle) * 0.1);
    return {middle - half, middle + half};
}

PlotRange Padded(PlotRange range) {
    const PlotRange opened = Opened(range);
    if (opened.low != range.low) {
        return opened;
    }
    // Halved first: the span of values near the float limits overflows otherwise.
    const double pad = (range.high / 2 - range.low / 2) * 0.1;
    return {range.low - pad, range.high + pad};
}

double Clamped(double coordinate, double low, double high) {
    return std::clamp(coordinate, low - kCoordinateLimit, high + kCoordinateLimit);
}

class CMapping {
public:
    CMapping(const PlotRect& area, PlotRange x, PlotRange y) : m_area(area), m_x(x), m_y(y) {}
    double X(double value) const {
        const double fraction = (value - m_x.low) / m_x.Span();
        return Clamped(m_area.left + fraction * m_area.Width(), m_area.left, m_area.right);
    }
    double Y(double value) const {
        const double fraction = (value - m_y.low) / m_y.Span();
        return Clamped(m_area.bottom - fraction * m_area.Height(), m_area.top, m_area.bottom);
    }

private:
    PlotRect m_area;
    PlotRange m_x;
    PlotRange m_y;
};

// Ticks whose labels fit along an axis of `length` pixels: the most that fit, with
// labels that never overlap.
template <class Position, class Extent>
std::vector<PlotTick> FittingTicks(PlotRange range, double length, double perLabel,
                                   const Position& position, const Extent& extent) {
    const int most = std::clamp(static_cast<int>(length / perLabel), 2, 12);
    const double largest = std::max(std::fabs(range.low), std::fabs(range.high));
    std::vector<PlotTick> ticks;
    const auto fitting = [&](int wanted) {
        const double step = NiceTickStep(range, wanted);
        ticks.clear();
        for (const double value : NiceTicks(range, step)) {
            ticks.push_back({value, position(value), FormatTickLabel(value, step, largest)});
        }
        bool fits = true;
        for (std::size_t i = 1; i < ticks.size() && fits; ++i) {
            const double room = std::fabs(ticks[i].position - ticks[i - 1].position);
            fits = room >= (extent(ticks[i].label) + extent(ticks[i - 1].label)) / 2 + kLabelGap;
        }
        return fits;
    };
    for (int wanted = most; wanted >= 2; --wanted) {
        if (fitting(wanted)) {
            if (ticks.size() >= 2) {
                return ticks;
            }
            // A short axis may hold one round value at that step: a finer one may fit two.
            std::vector<PlotTick> one = ticks;
            for (int finer = most + 1; finer <= most + 4 && fitting(finer); ++finer) {
                if (ticks.size() >= 2) {
                    return ticks;
                }
            }
            return one;
        }
    }
    // Even two are too many for the room: every other label goes until they fit.
    std::vector<PlotTick> kept;
    for (const PlotTick& tick : ticks) {
        if (kept.empty() || std::fabs(tick.position - kept.back().position) >=
                                (extent(tick.label) + extent(kept.back().label)) / 2 + kLabelGap) {
            kept.push_back(tick);
        }
    }
    return kept;
}

// Min/max per pixel column: of each run of points that fall in one column only the
// first, the lowest, the highest and the last are kept, in their order, so that every
// peak survives however many points share a pixel.
class CThinnedLine {
public:
    explicit CThinnedLine(std::vector<std::vector<PlotPoint>>& segments) : m_segments(segments) {}
    void Add(std::size_t index, PlotPoint point) {
        const double column = std::floor(point.x);
        if (m_open && column != m_column) {
            FlushColumn();
        }
        if (!m_open) {
            m_open = true;
            m_column = column;
            m_first = m_low = m_high = m_last = {index, point};
            return;
        }
        if (point.y > m_low.point.y) {  // pixel y grows downwards
            m_low = {index, point};
        }
        if (point.y < m_high.point.y) {
            m_high = {index, point};
        }
        m_last = {index, point};
    }
    void Gap() {
        FlushColumn();
        EndSegment();
    }
    void Finish() { Gap(); }

private:
    struct Indexed {
        std::size_t index = 0;
        PlotPoint point;
    };
    void FlushColumn() {
        if (!m_open) {
            return;
        }
        std::array<Indexed, 4> kept{m_first, m_low, m_high, m_last};
        std::sort(kept.begin(), kept.end(),
                  [](const Indexed& a, const Indexed& b) { return a.index < b.index; });
        for (std::size_t i = 0; i < kept.size(); ++i) {
            if (i == 0 || kept[i].index != kept[i - 1].index) {
                m_current.push_back(kept[i].point);
            }
        }
        m_open = false;
    }
    void EndSegment() {
        if (m_current.size() == 1) {
            // A lone point is drawn as a short dash, so that it stays visible.
            m_current.push_back({m_current.front().x + 1.0, m_current.front().y});
        }
        if (!m_current.empty()) {
            m_segments.push_back(std::move(m_current));
        }
        m_current.clear();
    }

    std::vector<std::vector<PlotPoint>>& m_segments;
    std::vector<PlotPoint> m_current;
    bool m_open = false;
    double m_column = 0.0;
    Indexed m_first, m_low, m_high, m_last;
};

PlotLine LineOf(const PlotTrace& trace, std::size_t colour, bool dashed, const CMapping& map) {
    PlotLine line;
    line.colour = colour;
    line.dashed = dashed;
    CThinnedLine thinned(line.segments);
    const std::size_t count = std::min(trace.x.size(), trace.y.size());
    for (std::size_t i = 0; i < count; ++i) {
        if (std::isfinite(trace.x[i]) && std::isfinite(trace.y[i])) {
            thinned.Add(i, {map.X(trace.x[i]), map.Y(trace.y[i])});
        } else {
            thinned.Gap();
        }
    }
    thinned.Finish();
    return line;
}

// Which axis a trace is drawn against: 0 left, 1 right, 2 and beyond not drawn.
std::size_t AxisOf(const PlotTrace& trace, const std::vector<std::string>& units) {
    return static_cast<std::size_t>(std::find(units.begin(), units.end(), trace.unit) -
                                    units.begin());
}

struct LegendRow {
    std::string text;
    std::optional<std::size_t> trace;  // none for a heading
};

// The traces by axis; with two axes each group under a heading that names its side.
std::vector<LegendRow> LegendRows(const std::vector<PlotTrace>& traces,
                                  const std::vector<std::string>& units) {
    std::vector<LegendRow> rows;
    const std::size_t axes = std::min<std::size_t>(units.size(), 2);
    for (std::size_t axis = 0; axis < axes; ++axis) {
        if (axes == 2) {
            rows.push_back({(axis == 0 ? "Left axis: " : "Right axis: ") + units[axis], {}});
        }
        for (std::size_t i = 0; i < traces.size(); ++i) {
            if (AxisOf(traces[i], units) == axis) {
                rows.push_back({traces[i].label, i});
            }
        }
    }
    return rows;
}

// In the area's top right corner, over at most this share of its width and all of its
// height less a margin; left out when it would not fit so, or when a heading would have to
// be cut (the axis keys still tell the sides apart).
constexpr double kLegendWidthShare = 0.6;

void AddLegend(PlotLayout& layout, const std::vector<PlotTrace>& traces,
               const std::vector<std::string>& units) {
    const PlotFont& font = layout.font;
    constexpr double kSwatch = 22.0;
    const std::vector<LegendRow> rows = LegendRows(traces, units);
    const double roomForRow = layout.area.Width() * kLegendWidthShare - kPadding * 2;
    const double roomForName = roomForRow - kSwatch - kPadding;
    const double height = kPadding + font.lineHeight * static_cast<double>(rows.size());
    if (roomForName < font.charWidth * 6 || height > layout.area.Height() - kPadding * 2) {
        return;
    }
    double widest = 0.0;
    for (const LegendRow& row : rows) {
        const double width = EstimatedTextWidth(font, row.text);
        if (!row.trace && width > roomForRow) {
            return;
        }
        widest =
            std::max(widest, row.trace ? std::min(width, roomForName) + kSwatch + kPadding : width);
    }
    const double width = kPadding * 2 + widest;
    const PlotRect box{layout.area.right - kPadding - width, layout.area.top + kPadding,
                       layout.area.right - kPadding, layout.area.top + kPadding + height};
    layout.legendBox = box;
    for (std::size_t row = 0; row < rows.size(); ++row) {
        const double middle =
            box.top + kPadding / 2 + font.lineHeight * (static_cast<double>(row) + 0.5);
        const double left = box.left + kPadding;
        if (!rows[row].trace) {
            layout.legend.push_back({0, false, false, {}, {}, {rows[row].text, {left, middle}}});
            continue;
        }
        const std::size_t trace = *rows[row].trace;
        layout.legend.push_back(
            {trace % kPlotPalette.size(),
             AxisOf(traces[trace], units) == 1,
             true,
             {left, middle},
             {left + kSwatch, middle},
             {FitText(font, rows[row].text, roomForName), {left + kSwatch + kPadding, middle}}});
    }
}

struct AxisRanges {
    PlotRange x;
    PlotRange y;
    std::optional<PlotRange> y2;
    bool any = false;  // some value to draw
};

AxisRanges RangesFor(const PlotRequest& request, const std::vector<std::string>& units) {
    AxisRanges ranges;
    const DataBounds all = FiniteBounds(request.traces, nullptr);
    ranges.any = all.any;
    ranges.x = Opened(request.xView.value_or(all.any ? all.x : PlotRange{}));
    const auto yRange = [&](std::size_t axis, const std::optional<PlotRange>& view) {
        const DataBounds bounds =
            FiniteBounds(request.traces, axis < units.size() ? &units[axis] : nullptr);
        return view ? Opened(*view) : Padded(bounds.any ? bounds.y : PlotRange{});
    };
    ranges.y = yRange(0, request.yView);
    if (units.size() >= 2) {
        ranges.y2 = yRange(1, request.y2View);
    }
    return ranges;
}

void AddLines(PlotLayout& layout, const PlotRequest& request,
              const std::vector<std::string>& units) {
    const CMapping left(layout.area, layout.xRange, layout.yRange);
    const CMapping right(layout.area, layout.xRange, layout.y2Range.value_or(layout.yRange));
    for (std::size_t i = 0; i < request.traces.size(); ++i) {
        const std::size_t axis = AxisOf(request.traces[i], units);
        if (axis < 2) {
            layout.lines.push_back(LineOf(request.traces[i], i % kPlotPalette.size(), axis == 1,
                                          axis == 1 ? right : left));
        }
    }
}

std::vector<PlotTick> YTicks(PlotRange range, const PlotRect& axis, const PlotFont& font) {
    const CMapping map(axis, {0, 1}, range);
    return FittingTicks(
        range, axis.Height(), font.lineHeight * 2.2, [&](double value) { return map.Y(value); },
        [&](const std::string&) { return font.lineHeight; });
}

double WidestLabel(const std::vector<PlotTick>& ticks, const PlotFont& font) {
    double widest = 0.0;
    for (const PlotTick& tick : ticks) {
        widest = std::max(widest, EstimatedTextWidth(font, tick.label));
    }
    return widest;
}

// Grid lines across the area for the x ticks and the left axis's; tick marks out of the
// frame on every axis, with their labels.
void AddTicks(PlotLayout& layout) {
    const PlotRect& area = layout.area;
    const PlotFont& font = layout.font;
    for (const PlotTick& tick : layout.xTicks) {
        layout.gridLines.push_back({{tick.position, area.top}, {tick.position, area.bottom}});
        layout.tickMarks.push_back(
            {{tick.position, area.bottom}, {tick.position, area.bottom + kTickLength}});
        layout.texts.push_back({tick.label,
                                {tick.position, area.bottom + kTickLength + font.lineHeight / 2},
                                TextAlign::Centre});
    }
    for (const PlotTick& tick : layout.yTicks) {
        layout.gridLines.push_back({{area.left, tick.position}, {area.right, tick.position}});
        layout.tickMarks.push_back(
            {{area.left - kTickLength, tick.position}, {area.left, tick.position}});
        layout.texts.push_back(
            {tick.label, {area.left - kTickLength - 3, tick.position}, TextAlign::Right});
    }
    for (const PlotTick& tick : layout.y2Ticks) {
        layout.tickMarks.push_back(
            {{area.right, tick.position}, {area.right + kTickLength, tick.position}});
        layout.texts.push_back(
            {tick.label, {area.right + kTickLength + 3, tick.position}, TextAlign::Left});
    }
}

void AddTitles(PlotLayout& layout, const PlotRequest& request,
               const std::vector<std::string>& units) {
    const PlotRect& area = layout.area;
    const PlotFont& font = layout.font;
    const double middle = (area.top + area.bottom) / 2;
    layout.texts.push_back(
        {request.xTitle,
         {(area.left + area.right) / 2, area.bottom + kTickLength + font.lineHeight * 1.5},
         TextAlign::Centre});
    layout.texts.push_back({units.empty() ? std::string() : units[0],
                            {kPadding + font.lineHeight / 2, middle},
                            TextAlign::Centre,
                            true});
    if (units.size() >= 2) {
        const double rightX = layout.width - kPadding - font.lineHeight / 2;
        layout.texts.push_back({units[1], {rightX, middle}, TextAlign::Centre, true});
        // Under each title a short line in its curves' style: solid left, dashed right.
        const auto key = [&](double x, const std::string& title, bool dashed) {
            const double from = middle + EstimatedTextWidth(font, title) / 2 + kPadding / 2;
            const double to = std::min(from + kAxisKeyLength, area.bottom);
            if (to - from >= kAxisKeyLength / 2) {
                layout.axisKeys.push_back({{{x, from}, {x, to}}, dashed});
            }
        };
        key(kPadding + font.lineHeight / 2, units[0], false);
        key(rightX, units[1], true);
    }
    double lineY = kPadding + font.lineHeight / 2;
    const double room = layout.width - kPadding - area.left;
    if (!request.caption.empty()) {
        layout.texts.push_back(
            {FitText(font, request.caption, room), {area.left, lineY}, TextAlign::Left});
        lineY += font.lineHeight;
    }
    for (const std::string& note : request.notes) {
        layout.texts.push_back({FitText(font, note, room), {area.left, lineY}, TextAlign::Left});
        lineY += font.lineHeight;
    }
}

// A picture too small for words: the curves in their frame, nothing else.
void LayOutThumbnail(PlotLayout& layout, const PlotRequest& request,
                     const std::vector<std::string>& units) {
    constexpr double kInset = 2.0;
    layout.lineWidth = 1.5;
    layout.area = {kInset, kInset, std::max(kInset + 1, request.width - kInset),
                   std::max(kInset + 1, request.height - kInset)};
    AddLines(layout, request, units);
}

void LayOutFull(PlotLayout& layout, const PlotRequest& request,
                const std::vector<std::string>& units, bool anyValue) {
    const PlotFont& font = request.font;
    const std::size_t headLines = (request.caption.empty() ? 0 : 1) + request.notes.size();
    const double top =
        kPadding + (headLines == 0 ? font.lineHeight / 2
                                   : font.lineHeight * (static_cast<double>(headLines) + 0.5));
    const double bottom = request.height - kPadding - font.lineHeight * 2 - kTickLength;
    const PlotRect yAxis{0, top, 0, std::max(top + 1, bottom)};
    layout.yTicks = YTicks(layout.yRange, yAxis, font);
    const double left =
        kPadding + font.lineHeight + WidestLabel(layout.yTicks, font) + kTickLength + 4;
    double rightMargin = font.charWidth * 5;
    if (layout.y2Range) {
        layout.y2Ticks = YTicks(*layout.y2Range, yAxis, font);
        rightMargin = std::max(
            rightMargin, font.lineHeight + WidestLabel(layout.y2Ticks, font) + kTickLength + 4);
    }
    const double right = std::max(left + 1, request.width - kPadding - rightMargin);
    layout.area = {left, yAxis.top, right, yAxis.bottom};
    const CMapping map(layout.area, layout.xRange, layout.yRange);
    layout.xTicks = FittingTicks(
        layout.xRange, layout.area.Width(), font.charWidth * 8,
        [&](double value) { return map.X(value); },
        [&](const std::string& label) { return EstimatedTextWidth(font, label); });
    AddTicks(layout);
    AddTitles(layout, request, units);
    if (!anyValue) {
        layout.texts.push_back({"No finite values to plot",
                                {(layout.area.left + layout.area.right) / 2,
                                 (layout.area.top + layout.area.bottom) / 2},
                                TextAlign::Centre});
    }
    AddLines(layout, request, units);
    if (request.traces.size() >= 2) {
        AddLegend(layout, request.traces, units);
    }
}

}  // namespace

double EstimatedTextWidth(const PlotFont& font, std::string_view text) {
    // Characters, not bytes: UTF-8 continuation bytes add nothing.
    const auto characters = std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    });
    return static_cast<double>(characters) * font.charWidth;
}

std::string FitText(const PlotFont& font, const std::string& text, double width) {
    if (EstimatedTextWidth(font, text) <= width) {
        return text;
    }
    // Cut at a character boundary and mark the cut, as a small picture has to.
    const std::string_view ellipsis = "\xE2\x80\xA6";
    std::string fitted = text;
    while (!fitted.empty() && EstimatedTextWidth(font, fitted) + font.charWidth > width) {
        fitted.pop_back();
        while (!fitted.empty() && (static_cast<unsigned char>(fitted.back()) & 0xC0) == 0x80) {
            fitted.pop_back();
        }
        if (!fitted.empty() && static_cast<unsigned char>(fitted.back()) >= 0xC0) {
            fitted.pop_back();  // the lead byte of the character just cut
        }
    }
    return fitted + std::string(ellipsis);
}

double NiceTickStep(PlotRange range, int maxTicks) {
    const double raw = range.Span() / std::max(1, maxTicks);
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double normalised = raw / magnitude;
    const double nice = normalised <= 1.0   ? 1.0
                        : normalised <= 2.0 ? 2.0
                        : normalised <= 5.0 ? 5.0
                                            : 10.0;
    return nice * magnitude;
}

std::vector<double> NiceTicks(PlotRange range, double step) {
    std::vector<double> ticks;
    if (!(step > 0.0) || !std::isfinite(step)) {
        return ticks;
    }
    const double first = std::ceil(range.low / step);
    const double last = std::floor(range.high / step);
    for (double k = first; k <= last && ticks.size() < kMaxTicks; k += 1.0) {
        double value = k * step;
        if (std::fabs(value) < step * 1e-9) {
            value = 0.0;  // never "-0"
        }
        if (value >= range.low && value <= range.high) {
            ticks.push_back(value);
        }
    }
    return ticks;
}

std::string FormatTickLabel(double value, double step, double largest) {
    const int stepExponent = static_cast<int>(std::floor(std::log10(step) + 1e-9));
    char text[64];
    std::to_chars_result written{};
    if (largest >= 1e7 || stepExponent < -6) {
        const int largestExponent = static_cast<int>(std::floor(std::log10(largest)));
        const int digits = std::clamp(largestExponent - stepExponent, 0, 15);
        written =
            std::to_chars(text, text + sizeof text, value, std::chars_format::scientific, digits);
    } else {
        written = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed,
                                std::max(0, -stepExponent));
    }
    return std::string(text, written.ptr);
}

std::vector<std::string> AxisUnits(const std::vector<PlotTrace>& traces) {
    std::vector<std::string> units;
    for (const PlotTrace& trace : traces) {
        if (std::find(units.begin(), units.end(), trace.unit) == units.end()) {
            units.push_back(trace.unit);
        }
    }
    return units;
}

PlotLayout LayOutPlot(const PlotRequest& request) {
    PlotLayout layout;
    layout.width = request.width;
    layout.height = request.height;
    layout.font = request.font;
    const std::vector<std::string> units = AxisUnits(request.traces);
    const AxisRanges ranges = RangesFor(request, units);
    layout.xRange = ranges.x;
    layout.yRange = ranges.y;
    layout.y2Range = ranges.y2;
    if (std::min(request.width, request.height) < kThumbnailSide) {
        LayOutThumbnail(layout, request, units);
    } else {
        LayOutFull(layout, request, units, ranges.any);
    }
    return layout;
}

std::optional<PlotZoom> ZoomFromDrag(const PlotLayout& layout, PlotPoint from, PlotPoint to) {
    constexpr double kSmallestDrag = 4.0;
    const PlotRect& area = layout.area;
    const double left = std::clamp(std::min(from.x, to.x), area.left, area.right);
    const double right = std::clamp(std::max(from.x, to.x), area.left, area.right);
    const double top = std::clamp(std::min(from.y, to.y), area.top, area.bottom);
    const double bottom = std::clamp(std::max(from.y, to.y), area.top, area.bottom);
    if (right - left < kSmallestDrag || bottom - top < kSmallestDrag) {
        return std::nullopt;
    }
    const auto xAt = [&](double px) {
        return layout.xRange.low + (px - area.left) / area.Width() * layout.xRange.Span();
    };
    const auto yAt = [&](const PlotRange& range, double py) {
        return range.low + (area.bottom - py) / area.Height() * range.Span();
    };
    PlotZoom zoom{{xAt(left), xAt(right)},
                  {yAt(layout.yRange, bottom), yAt(layout.yRange, top)},
                  std::nullopt};
    if (layout.y2Range) {
        zoom.y2 = PlotRange{yAt(*layout.y2Range, bottom), yAt(*layout.y2Range, top)};
    }
    return zoom;
}

}  // namespace kiro
