#include "ui/PreviewPane.h"

#include <wx/clipbrd.h>
#include <wx/dcbuffer.h>
#include <wx/dcmemory.h>
#include <wx/graphics.h>
#include <wx/menu.h>

#include <memory>

#include "commands/CommandIds.h"
#include "render/PlotFiles.h"
#include "ui/PlotPainter.h"
#include "ui/WxText.h"

namespace kiro {

CSpectrumPreview::CSpectrumPreview(wxWindow* parent, IFileDialogs& dialogs)
    : wxWindow(parent, wxID_ANY, wxDefaultPosition, wxSize(100, 100), wxBORDER_SUNKEN),
      m_dialogs(&dialogs) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    SetBackgroundColour(*wxWHITE);
    m_content.text = "Select a spectrum file to see it here.";
    Bind(wxEVT_PAINT, &CSpectrumPreview::OnPaint, this);
    Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
        Refresh();
        event.Skip();
    });
    Bind(wxEVT_LEFT_DOWN, &CSpectrumPreview::OnLeftDown, this);
    Bind(wxEVT_MOTION, &CSpectrumPreview::OnMotion, this);
    Bind(wxEVT_LEFT_UP, &CSpectrumPreview::OnLeftUp, this);
    Bind(wxEVT_LEFT_DCLICK, [this](wxMouseEvent&) { ResetZoom(); });
    Bind(wxEVT_CONTEXT_MENU, &CSpectrumPreview::OnContextMenu, this);
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { CopyPicture(); }, WxCommandId(kIdPreviewCopy));
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { SaveAs(false); }, WxCommandId(kIdPreviewSavePng));
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { SaveAs(true); }, WxCommandId(kIdPreviewSaveSvg));
}

void CSpectrumPreview::ShowContent(PlotContent content) {
    m_content = std::move(content);
    m_zoom.reset();
    m_dragFrom.reset();
    m_note.clear();
    Refresh();
}

PlotLayout CSpectrumPreview::LayoutAt(double width, double height) const {
    PlotRequest request = *m_content.plot;
    request.width = width;
    request.height = height;
    // Text as large as the rest of the window's.
    request.font.size = GetFont().GetPixelSize().y;
    request.font.charWidth = GetCharWidth();
    request.font.lineHeight = GetCharHeight() + 3;
    if (m_zoom) {
        request.xView = m_zoom->x;
        request.yView = m_zoom->y;
        request.y2View = m_zoom->y2;
    }
    return LayOutPlot(request);
}

std::optional<PlotLayout> CSpectrumPreview::CurrentLayout() const {
    if (!m_content.plot) {
        return std::nullopt;
    }
    const wxSize size = GetClientSize();
    return LayoutAt(std::max(size.x, 1), std::max(size.y, 1));
}

void CSpectrumPreview::OnPaint(wxPaintEvent& /*event*/) {
    wxAutoBufferedPaintDC dc(this);
    dc.SetBackground(*wxWHITE_BRUSH);
    dc.Clear();
    const std::optional<PlotLayout> layout = CurrentLayout();
    if (!layout) {
        dc.SetTextForeground(wxColour(80, 80, 80));
        dc.DrawText(ToWx(m_content.text), 10, 10);
        return;
    }
    PaintPlot(dc, *layout, GetFont());
    if (!m_note.empty()) {
        dc.SetTextForeground(*wxRED);
        dc.DrawText(ToWx(m_note), 10, static_cast<int>(layout->height) - GetCharHeight() - 4);
    }
    if (m_dragFrom) {
        const std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::CreateFromUnknownDC(dc));
        gc->SetPen(wxPen(wxColour(60, 60, 60), 1, wxPENSTYLE_SHORT_DASH));
        gc->SetBrush(wxBrush(wxColour(60, 120, 200, 40)));
        const wxRect rect(*m_dragFrom, m_dragTo);
        gc->DrawRectangle(rect.x, rect.y, rect.width, rect.height);
    }
}

void CSpectrumPreview::ZoomTo(PlotPoint from, PlotPoint to) {
    const std::optional<PlotLayout> layout = CurrentLayout();
    if (!layout) {
        return;
    }
    if (const std::optional<PlotZoom> zoom = ZoomFromDrag(*layout, from, to)) {
        m_zoom = zoom;
    }
    Refresh();
}

void CSpectrumPreview::ResetZoom() {
    m_zoom.reset();
    Refresh();
}

void CSpectrumPreview::OnLeftDown(wxMouseEvent& event) {
    if (m_content.plot) {
        m_dragFrom = event.GetPosition();
        m_dragTo = event.GetPosition();
        CaptureMouse();
    }
    event.Skip();
}

void CSpectrumPreview::OnMotion(wxMouseEvent& event) {
    if (m_dragFrom) {
        m_dragTo = event.GetPosition();
        Refresh();
    }
}

void CSpectrumPreview::OnLeftUp(wxMouseEvent& event) {
    if (!m_dragFrom) {
        return;
    }
    if (HasCapture()) {
        ReleaseMouse();
    }
    const wxPoint from = *m_dragFrom;
    m_dragFrom.reset();
    ZoomTo({static_cast<double>(from.x), static_cast<double>(from.y)},
           {static_cast<double>(event.GetX()), static_cast<double>(event.GetY())});
}

void CSpectrumPreview::OnContextMenu(wxContextMenuEvent& /*event*/) {
    wxMenu menu;
    menu.Append(WxCommandId(kIdPreviewCopy), "&Copy");
    menu.Append(WxCommandId(kIdPreviewSavePng), "Save as &PNG...");
    menu.Append(WxCommandId(kIdPreviewSaveSvg), "Save as &SVG...");
    const bool plotted = m_content.plot.has_value();
    for (const int id : {kIdPreviewCopy, kIdPreviewSavePng, kIdPreviewSaveSvg}) {
        menu.Enable(WxCommandId(id), plotted);
    }
    PopupMenu(&menu);
}

wxBitmap CSpectrumPreview::Picture() const {
    const std::optional<PlotLayout> layout = CurrentLayout();
    wxBitmap bitmap(GetClientSize(), 24);
    if (layout) {
        wxMemoryDC dc(bitmap);
        PaintPlot(dc, *layout, GetFont());
    }
    return bitmap;
}

void CSpectrumPreview::CopyPicture() {
    if (!m_content.plot || !wxTheClipboard->Open()) {
        return;
    }
    wxTheClipboard->SetData(new wxBitmapDataObject(Picture()));
    wxTheClipboard->Close();
}

void CSpectrumPreview::SaveAs(bool svg) {
    const std::optional<PlotLayout> layout = CurrentLayout();
    if (!layout) {
        return;
    }
    const std::optional<std::string> path =
        svg ? m_dialogs->SaveFile("Save as SVG", "spectrum.svg", "SVG pictures (*.svg)|*.svg")
            : m_dialogs->SaveFile("Save as PNG", "spectrum.png", "PNG pictures (*.png)|*.png");
    if (!path) {
        return;
    }
    const std::string failure =
        WritePlotFile(*layout, *path, svg ? PlotFileFormat::Svg : PlotFileFormat::Png);
    // Said in the pane, as every other trouble of the preview is.
    m_note = failure.empty() ? std::string() : "Cannot save " + *path + ": " + failure;
    Refresh();
}

}  // namespace kiro
