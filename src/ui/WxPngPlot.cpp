// PNG pictures on Windows, where Cairo is not to be had: the layout drawn as the preview
// draws it, on a bitmap, and saved by the toolkit's PNG handler. The command line links
// this too, so it may run in a program that has not started the toolkit.
#include <wx/app.h>
#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/font.h>
#include <wx/image.h>
#include <wx/imagpng.h>
#include <wx/init.h>
#include <wx/mstream.h>

#include <algorithm>
#include <cmath>

#include "render/PngPlot.h"
#include "ui/PlotPainter.h"

namespace kiro {

namespace {

// The toolkit for as long as a picture is drawn: in the window it is running already; a
// console program starts it, with a GUI application object so that the drawing code
// finds what it finds in the window, and ends it again.
class CToolkitForDrawing {
public:
    CToolkitForDrawing() {
        if (wxTheApp != nullptr) {
            return;
        }
        wxApp::SetInstance(new wxApp);
        int argc = 0;
        wxChar* argv[] = {nullptr};
        m_started = wxEntryStart(argc, argv);
    }
    ~CToolkitForDrawing() {
        if (m_started) {
            wxEntryCleanup();
        }
    }
    CToolkitForDrawing(const CToolkitForDrawing&) = delete;
    CToolkitForDrawing& operator=(const CToolkitForDrawing&) = delete;

    bool Ready() const { return wxTheApp != nullptr; }

private:
    bool m_started = false;
};

std::string PngBytes(const wxImage& image) {
    if (wxImage::FindHandler(wxBITMAP_TYPE_PNG) == nullptr) {
        wxImage::AddHandler(new wxPNGHandler);
    }
    wxMemoryOutputStream stream;
    if (!image.SaveFile(stream, wxBITMAP_TYPE_PNG)) {
        return {};
    }
    std::string bytes(stream.GetLength(), '\0');
    stream.CopyTo(bytes.data(), bytes.size());
    return bytes;
}

}  // namespace

std::string RenderPlotPng(const PlotLayout& layout) {
    const CToolkitForDrawing toolkit;
    if (!toolkit.Ready()) {
        return {};
    }
    const int width = std::max(1, static_cast<int>(std::lround(layout.width)));
    const int height = std::max(1, static_cast<int>(std::lround(layout.height)));
    wxBitmap bitmap(width, height, 24);
    if (!bitmap.IsOk()) {
        return {};
    }
    {
        wxMemoryDC dc(bitmap);
        const int pixels = std::max(1, static_cast<int>(std::lround(layout.font.size)));
        PaintPlot(dc, layout, wxFont(wxFontInfo(wxSize(0, pixels)).Family(wxFONTFAMILY_SWISS)));
    }
    return PngBytes(bitmap.ConvertToImage());
}

}  // namespace kiro
