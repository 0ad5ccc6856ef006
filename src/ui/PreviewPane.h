#pragma once

#include <wx/window.h>

#include <optional>

#include "plot/PlotContent.h"
#include "plot/PlotLayout.h"
#include "seams/FileDialogs.h"

namespace kiro {

// The pane below the file list that plots the selected spectra. It draws the engine's
// layout; drag a rectangle to zoom, double-click to see everything again; its context
// menu copies the picture or saves it as PNG or SVG. Anything that is not a spectrum
// shows as one line of text, never a box.
class CSpectrumPreview final : public wxWindow {
public:
    CSpectrumPreview(wxWindow* parent, IFileDialogs& dialogs);

    // Shows new content; any zoom goes.
    void ShowContent(PlotContent content);
    const PlotContent& Content() const { return m_content; }
    const std::string& Note() const { return m_note; }
    // The layout at the pane's present size and zoom; none while it shows text.
    std::optional<PlotLayout> CurrentLayout() const;

    void SetFileDialogs(IFileDialogs& dialogs) { m_dialogs = &dialogs; }

    // The plot as the pane shows it, without the zoom rectangle and note.
    wxBitmap Picture() const;

    // The context menu's commands.
    void CopyPicture();
    void SaveAs(bool svg);

    // Zooms as a drag from `from` to `to` does, and back.
    void ZoomTo(PlotPoint from, PlotPoint to);
    void ResetZoom();

private:
    void OnPaint(wxPaintEvent& event);
    void OnLeftDown(wxMouseEvent& event);
    void OnMotion(wxMouseEvent& event);
    void OnLeftUp(wxMouseEvent& event);
    void OnContextMenu(wxContextMenuEvent& event);
    PlotLayout LayoutAt(double width, double height) const;

    IFileDialogs* m_dialogs;
    PlotContent m_content;
    std::string m_note;  // why the last save failed
    std::optional<PlotZoom> m_zoom;
    std::optional<wxPoint> m_dragFrom;
    wxPoint m_dragTo;
};

}  // namespace kiro
