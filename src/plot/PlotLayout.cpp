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

struct DataBounds {
    PlotRange x;
    PlotRange y;
    bool any = false;
};

DataBounds FiniteBounds(const std::vector<PlotTrace>& traces) {
    DataBounds bounds;
    double xLow = std::numeric_limits<double>::infinity();
    double xHigh = -xLow;
    double yLow = xLow;
    double yHigh = -xLow;
    for (const PlotTrace& trace : traces) {
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
    std::vector<PlotTick> ticks;
    for (int wanted = most; wanted >= 2; --wanted) {
        const double step = NiceTickStep(range, wanted);
        const double largest = std::max(std::fabs(range.low), std::fabs(range.high));
        ticks.clear();
        for (const double value : NiceTicks(range, step)) {
            ticks.push_back({value, position(value), FormatTickLabel(value, step, largest)});
        }
        bool fits = true;
        for (std::size_t i = 1; i < ticks.size() && fits; ++i) {
            const double room = std::fabs(ticks[i].position - ticks[i - 1].position);
            fits = room >= (extent(ticks[i].label) + extent(ticks[i - 1].label)) / 2 + kLabelGap;
        }
        if (fits) {
            return ticks;
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

PlotLine LineOf(const PlotTrace& trace, std::size_t colour, const CMapping& map) {
    PlotLine line;
    line.colour = colour;
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

void AddLegend(PlotLayout& layout, const std::vector<PlotTrace>& traces) {
    const PlotFont& font = layout.font;
    double widest = 0.0;
    for (const PlotTrace& trace : traces) {
        widest = std::max(widest, EstimatedTextWidth(font, trace.label));
    }
    constexpr double kSwatch = 22.0;
    const double width = kPadding * 3 + kSwatch + widest;
    const double height = kPadding + font.lineHeight * static_cast<double>(traces.size());
    const PlotRect box{layout.area.right - kPadding - width, layout.area.top + kPadding,
                       layout.area.right - kPadding, layout.area.top + kPadding + height};
    layout.legendBox = box;
    for (std::size_t i = 0; i < traces.size(); ++i) {
        const double middle =
            box.top + kPadding / 2 + font.lineHeight * (static_cast<double>(i) + 0.5);
        const double swatchLeft = box.left + kPadding;
        layout.legend.push_back({i % kPlotPalette.size(),
                                 {swatchLeft, middle},
                                 {swatchLeft + kSwatch, middle},
                                 {traces[i].label, {swatchLeft + kSwatch + kPadding, middle}}});
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

PlotLayout LayOutPlot(const PlotRequest& request) {
    PlotLayout layout;
    layout.width = request.width;
    layout.height = request.height;
    layout.font = request.font;
    const PlotFont& font = request.font;
    const DataBounds bounds = FiniteBounds(request.traces);
    layout.xRange = Opened(request.xView.value_or(bounds.any ? bounds.x : PlotRange{}));
    layout.yRange =
        request.yView ? Opened(*request.yView) : Padded(bounds.any ? bounds.y : PlotRange{});

    const double top =
        kPadding + (request.caption.empty() ? font.lineHeight / 2 : font.lineHeight * 1.5);
    const double bottom = request.height - kPadding - font.lineHeight * 2 - kTickLength;
    const PlotRect yAxis{0, top, 0, std::max(top + 1, bottom)};
    const auto yPosition = [&](double value) {
        return CMapping(yAxis, layout.xRange, layout.yRange).Y(value);
    };
    layout.yTicks = FittingTicks(layout.yRange, yAxis.Height(), font.lineHeight * 2.2, yPosition,
                                 [&](const std::string&) { return font.lineHeight; });
    double widestYLabel = 0.0;
    for (const PlotTick& tick : layout.yTicks) {
        widestYLabel = std::max(widestYLabel, EstimatedTextWidth(font, tick.label));
    }
    const double left = kPadding + font.lineHeight + widestYLabel + kTickLength + 4;
    const double right = std::max(left + 1, request.width - kPadding - font.charWidth * 5);
    layout.area = {left, yAxis.top, right, yAxis.bottom};
    const CMapping map(layout.area, layout.xRange, layout.yRange);
    layout.xTicks = FittingTicks(
        layout.xRange, layout.area.Width(), font.charWidth * 8,
        [&](double value) { return map.X(value); },
        [&](const std::string& label) { return EstimatedTextWidth(font, label); });

    for (const PlotTick& tick : layout.xTicks) {
        layout.texts.push_back(
            {tick.label,
             {tick.position, layout.area.bottom + kTickLength + font.lineHeight / 2},
             TextAlign::Centre});
    }
    for (const PlotTick& tick : layout.yTicks) {
        layout.texts.push_back(
            {tick.label, {layout.area.left - kTickLength - 3, tick.position}, TextAlign::Right});
    }
    layout.texts.push_back({request.xTitle,
                            {(layout.area.left + layout.area.right) / 2,
                             layout.area.bottom + kTickLength + font.lineHeight * 1.5},
                            TextAlign::Centre});
    layout.texts.push_back(
        {request.yTitle,
         {kPadding + font.lineHeight / 2, (layout.area.top + layout.area.bottom) / 2},
         TextAlign::Centre,
         true});
    if (!request.caption.empty()) {
        const double room = request.width - kPadding - layout.area.left;
        layout.texts.push_back({FitText(font, request.caption, room),
                                {layout.area.left, kPadding + font.lineHeight / 2},
                                TextAlign::Left});
    }
    if (!bounds.any) {
        layout.texts.push_back({"No finite values to plot",
                                {(layout.area.left + layout.area.right) / 2,
                                 (layout.area.top + layout.area.bottom) / 2},
                                TextAlign::Centre});
    }

    for (std::size_t i = 0; i < request.traces.size(); ++i) {
        layout.lines.push_back(LineOf(request.traces[i], i % kPlotPalette.size(), map));
    }
    if (request.traces.size() >= 2) {
        AddLegend(layout, request.traces);
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
    const auto yAt = [&](double py) {
        return layout.yRange.low + (area.bottom - py) / area.Height() * layout.yRange.Span();
    };
    return PlotZoom{{xAt(left), xAt(right)}, {yAt(bottom), yAt(top)}};
}

}  // namespace kiro
