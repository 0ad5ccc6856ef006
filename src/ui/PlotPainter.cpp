#include "ui/PlotPainter.h"

#include <wx/brush.h>
#include <wx/dc.h>
#include <wx/font.h>
#include <wx/graphics.h>
#include <wx/pen.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "ui/WxText.h"

namespace kiro {

namespace {

wxColour ColourOf(const PlotColour& colour) {
    return wxColour(colour.red, colour.green, colour.blue);
}

// Texts are drawn with the device context: Windows' drawing back ends for antialiased
// shapes measure and draw no text under wine (a zero-size box with GDI+, no font with
// Direct2D), and the plain context draws them on every system.
void PaintText(wxDC& dc, const PlotText& text) {
    const wxString label = ToWx(text.text);
    wxCoord width = 0;
    wxCoord height = 0;
    dc.GetTextExtent(label, &width, &height);
    const double shift = text.align == TextAlign::Left     ? 0.0
                         : text.align == TextAlign::Centre ? width / 2.0
                                                           : width;
    if (text.rotated) {
        dc.DrawRotatedText(label, static_cast<wxCoord>(std::lround(text.at.x - height / 2.0)),
                           static_cast<wxCoord>(std::lround(text.at.y + shift)), 90.0);
    } else {
        dc.DrawText(label, static_cast<wxCoord>(std::lround(text.at.x - shift)),
                    static_cast<wxCoord>(std::lround(text.at.y - height / 2.0)));
    }
}

void StrokeSegments(wxGraphicsContext& gc, const std::vector<PlotSegment>& segments) {
    for (const PlotSegment& segment : segments) {
        gc.StrokeLine(segment.from.x, segment.from.y, segment.to.x, segment.to.y);
    }
}

wxGraphicsPen LinePen(wxGraphicsContext& gc, const wxColour& colour, bool dashed, double width) {
    wxGraphicsPenInfo pen(colour);
    pen.Width(width).Join(wxJOIN_ROUND);
    // Counted in pen widths; the pen keeps its own copy.
    wxDash dashes[kPlotDash.size()];
    if (dashed) {
        for (std::size_t i = 0; i < kPlotDash.size(); ++i) {
            dashes[i] = static_cast<wxDash>(std::lround(kPlotDash[i] / std::max(width, 1.0)));
        }
        pen.Style(wxPENSTYLE_USER_DASH).Dashes(static_cast<int>(kPlotDash.size()), dashes);
    }
    return gc.CreatePen(pen);
}

void PaintGrid(wxGraphicsContext& gc, const PlotLayout& layout) {
    const PlotRect& area = layout.area;
    gc.SetPen(wxPen(wxColour(230, 230, 230)));
    StrokeSegments(gc, layout.gridLines);
    gc.SetPen(wxPen(wxColour(51, 51, 51)));
    StrokeSegments(gc, layout.tickMarks);
    gc.SetBrush(*wxTRANSPARENT_BRUSH);
    gc.DrawRectangle(area.left, area.top, area.Width(), area.Height());
    for (const PlotAxisKey& key : layout.axisKeys) {
        gc.SetPen(LinePen(gc, wxColour(51, 51, 51), key.dashed, layout.lineWidth));
        gc.StrokeLine(key.line.from.x, key.line.from.y, key.line.to.x, key.line.to.y);
    }
}

void PaintLines(wxGraphicsContext& gc, const PlotLayout& layout) {
    gc.PushState();
    gc.Clip(layout.area.left, layout.area.top, layout.area.Width(), layout.area.Height());
    for (const PlotLine& line : layout.lines) {
        gc.SetPen(LinePen(gc, ColourOf(kPlotPalette[line.colour % kPlotPalette.size()]),
                          line.dashed, layout.lineWidth));
        for (const std::vector<PlotPoint>& segment : line.segments) {
            wxGraphicsPath path = gc.CreatePath();
            path.MoveToPoint(segment.front().x, segment.front().y);
            for (std::size_t i = 1; i < segment.size(); ++i) {
                path.AddLineToPoint(segment[i].x, segment[i].y);
            }
            gc.StrokePath(path);
        }
    }
    gc.PopState();
}

void PaintLegendBox(wxGraphicsContext& gc, const PlotLayout& layout) {
    if (!layout.legendBox) {
        return;
    }
    const PlotRect& box = *layout.legendBox;
    gc.SetPen(wxPen(wxColour(153, 153, 153)));
    gc.SetBrush(wxBrush(wxColour(255, 255, 255, 230)));
    gc.DrawRectangle(box.left, box.top, box.Width(), box.Height());
    for (const PlotLegendEntry& entry : layout.legend) {
        if (entry.swatch) {
            gc.SetPen(LinePen(gc, ColourOf(kPlotPalette[entry.colour % kPlotPalette.size()]),
                              entry.dashed, 2.0));
            gc.StrokeLine(entry.swatchFrom.x, entry.swatchFrom.y, entry.swatchTo.x,
                          entry.swatchTo.y);
        }
    }
}

}  // namespace

void PaintPlot(wxDC& dc, const PlotLayout& layout, const wxFont& font) {
    {
        const std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::CreateFromUnknownDC(dc));
        gc->SetAntialiasMode(wxANTIALIAS_DEFAULT);
        gc->SetBrush(*wxWHITE_BRUSH);
        gc->SetPen(*wxTRANSPARENT_PEN);
        gc->DrawRectangle(0, 0, layout.width, layout.height);
        PaintGrid(*gc, layout);
        PaintLines(*gc, layout);
        PaintLegendBox(*gc, layout);
    }
    dc.SetFont(font);
    dc.SetTextForeground(*wxBLACK);
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    for (const PlotText& text : layout.texts) {
        PaintText(dc, text);
    }
    for (const PlotLegendEntry& entry : layout.legend) {
        PaintText(dc, entry.label);
    }
}

}  // namespace kiro
