#include "render/PngPlot.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace kiro {

namespace {

struct SurfaceDeleter {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct ContextDeleter {
    void operator()(cairo_t* context) const { cairo_destroy(context); }
};
using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
using ContextPtr = std::unique_ptr<cairo_t, ContextDeleter>;

cairo_status_t AppendBytes(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

void SetColour(cairo_t* cr, const PlotColour& colour) {
    cairo_set_source_rgb(cr, colour.red / 255.0, colour.green / 255.0, colour.blue / 255.0);
}

void DrawText(cairo_t* cr, const PlotText& text, const PlotFont& font) {
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text.text.c_str(), &extents);
    const double shift = text.align == TextAlign::Left     ? 0.0
                         : text.align == TextAlign::Centre ? extents.x_advance / 2
                                                           : extents.x_advance;
    cairo_save(cr);
    cairo_translate(cr, text.at.x, text.at.y);
    if (text.rotated) {
        cairo_rotate(cr, -M_PI / 2);
    }
    // The anchor is the text's vertical middle; Cairo places the baseline.
    cairo_move_to(cr, -shift, font.size * 0.35);
    cairo_show_text(cr, text.text.c_str());
    cairo_restore(cr);
}

// Crisp one-pixel strokes: on the pixel's middle.
double Crisp(double coordinate) {
    return std::round(coordinate) + 0.5;
}

void StrokeSegments(cairo_t* cr, const std::vector<PlotSegment>& segments) {
    for (const PlotSegment& segment : segments) {
        cairo_move_to(cr, Crisp(segment.from.x), Crisp(segment.from.y));
        cairo_line_to(cr, Crisp(segment.to.x), Crisp(segment.to.y));
    }
    cairo_stroke(cr);
}

void SetDash(cairo_t* cr, bool dashed) {
    cairo_set_dash(cr, kPlotDash.data(), dashed ? static_cast<int>(kPlotDash.size()) : 0, 0.0);
}

void DrawGridAndTicks(cairo_t* cr, const PlotLayout& layout) {
    const PlotRect& area = layout.area;
    cairo_set_line_width(cr, 1.0);
    cairo_set_source_rgb(cr, 0.9, 0.9, 0.9);
    StrokeSegments(cr, layout.gridLines);
    cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
    StrokeSegments(cr, layout.tickMarks);
    cairo_rectangle(cr, Crisp(area.left), Crisp(area.top), std::round(area.Width()),
                    std::round(area.Height()));
    cairo_stroke(cr);
    cairo_set_line_width(cr, layout.lineWidth);
    for (const PlotAxisKey& key : layout.axisKeys) {
        SetDash(cr, key.dashed);
        cairo_move_to(cr, key.line.from.x, key.line.from.y);
        cairo_line_to(cr, key.line.to.x, key.line.to.y);
        cairo_stroke(cr);
    }
    SetDash(cr, false);
}

void DrawLines(cairo_t* cr, const PlotLayout& layout) {
    cairo_save(cr);
    cairo_rectangle(cr, layout.area.left, layout.area.top, layout.area.Width(),
                    layout.area.Height());
    cairo_clip(cr);
    cairo_set_line_width(cr, layout.lineWidth);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    for (const PlotLine& line : layout.lines) {
        SetColour(cr, kPlotPalette[line.colour % kPlotPalette.size()]);
        SetDash(cr, line.dashed);
        for (const std::vector<PlotPoint>& segment : line.segments) {
            cairo_move_to(cr, segment.front().x, segment.front().y);
            for (std::size_t i = 1; i < segment.size(); ++i) {
                cairo_line_to(cr, segment[i].x, segment[i].y);
            }
            cairo_stroke(cr);
        }
    }
    cairo_restore(cr);
}

void DrawLegend(cairo_t* cr, const PlotLayout& layout) {
    if (!layout.legendBox) {
        return;
    }
    const PlotRect& box = *layout.legendBox;
    cairo_rectangle(cr, box.left, box.top, box.Width(), box.Height());
    cairo_set_source_rgba(cr, 1, 1, 1, 0.9);
    cairo_fill_preserve(cr);
    cairo_set_source_rgb(cr, 0.6, 0.6, 0.6);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    cairo_set_line_width(cr, 2.0);
    for (const PlotLegendEntry& entry : layout.legend) {
        if (entry.swatch) {
            SetColour(cr, kPlotPalette[entry.colour % kPlotPalette.size()]);
            SetDash(cr, entry.dashed);
            cairo_move_to(cr, entry.swatchFrom.x, entry.swatchFrom.y);
            cairo_line_to(cr, entry.swatchTo.x, entry.swatchTo.y);
            cairo_stroke(cr);
            SetDash(cr, false);
        }
        cairo_set_source_rgb(cr, 0, 0, 0);
        DrawText(cr, entry.label, layout.font);
    }
}

void Draw(cairo_t* cr, const PlotLayout& layout) {
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, layout.font.size);
    DrawGridAndTicks(cr, layout);
    DrawLines(cr, layout);
    cairo_set_source_rgb(cr, 0, 0, 0);
    for (const PlotText& text : layout.texts) {
        DrawText(cr, text, layout.font);
    }
    DrawLegend(cr, layout);
}

}  // namespace

// Linux draws its PNG pictures with Cairo.
std::string RenderPlotPng(const PlotLayout& layout) {
    std::string bytes;
    const int width = std::max(1, static_cast<int>(std::lround(layout.width)));
    const int height = std::max(1, static_cast<int>(std::lround(layout.height)));
    SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height));
    {
        ContextPtr context(cairo_create(surface.get()));
        Draw(context.get(), layout);
        if (cairo_status(context.get()) != CAIRO_STATUS_SUCCESS) {
            return {};
        }
    }
    cairo_surface_flush(surface.get());
    if (cairo_surface_write_to_png_stream(surface.get(), AppendBytes, &bytes) !=
        CAIRO_STATUS_SUCCESS) {
        return {};
    }
    return bytes;
}

}  // namespace kiro
