// The spectrum preview below the file list: the real window on a virtual display, fed
// spectrum files of the PC through File > Open Spectrum File.
#include <wx/image.h>
#include <wx/imagpng.h>
#include <wx/splitter.h>
#include <wx/xml/xml.h>

#include "FrameFixture.h"
#include "commands/CommandIds.h"
#include "conversion/JcampWriter.h"
#include "support/PictureChecks.h"
#include "testdata/DeviceFileWriter.h"
#include "ui/PreviewPane.h"
#include "ui/WxText.h"

namespace kiro::test {
namespace {

class PreviewTest : public CFrameFixture {
protected:
    std::string Sample(const std::string& name, const testdata::SpectrumFixture& fixture) {
        const std::string path = m_home / name;
        fixture.WriteTo(path);
        return path;
    }
    CSpectrumPreview& Preview() { return *m_frame->GetPreview(); }
    std::size_t Plotted() {
        const std::optional<PlotLayout> layout = Preview().CurrentLayout();
        return layout ? layout->lines.size() : 0;
    }
    void Open(std::vector<std::string> paths) {
        m_dialogs.answers.push_back(std::move(paths));
        Command(kIdOpenSpectrumFile);
    }
};

TEST_F(PreviewTest, OffByDefaultThenPaneAndSashSurviveARestart) {
    CMainFrame& frame = OpenFrame();
    EXPECT_FALSE(frame.IsPreviewShown());
    EXPECT_FALSE(MenuChecked(kIdSpectrumPreview));
    ASSERT_TRUE(Command(kIdSpectrumPreview));
    EXPECT_TRUE(MenuChecked(kIdSpectrumPreview));
    frame.GetPreviewSplitter()->SetSashPosition(150);
    Idle();
    CMainFrame& again = Restart();
    EXPECT_EQ(Stored("Settings/ShowPreview"), "1");
    EXPECT_TRUE(again.IsPreviewShown());
    EXPECT_EQ(again.GetPreviewSplitter()->GetSashPosition(), 150);
    ASSERT_TRUE(Command(kIdSpectrumPreview));
    CloseFrame();
    EXPECT_EQ(Stored("Settings/ShowPreview"), "0");
    EXPECT_EQ(Stored("Settings/PreviewSash"), "150");
}

TEST_F(PreviewTest, PlotsOneOverlaysSeveralAndGivesAReasonForTheRest) {
    const std::string lamp = Sample("lamp.scope_ks", testdata::MakeLampSpectrum());
    const std::string dark = Sample("dark.dark_ks", testdata::MakeDarkSpectrum());
    const std::string absorbance = Sample("leaf.absorbance_ks", testdata::MakeAbsorbanceSpectrum());
    const std::string transmission =
        Sample("leaf.transmission_ks", testdata::MakeTransmissionSpectrum());
    const std::string converted = m_home / "run.absorbance.jdx";
    const std::vector<unsigned char> leaf = testdata::MakeAbsorbanceSpectrum(9).Bytes();
    CDeviceSpectrum spectrum;
    ASSERT_EQ(spectrum.Load(leaf.data(), leaf.size()), SpectrumLoadResult::Loaded);
    WriteFileBytes(converted, FormatJcampFile(spectrum, "run", "alice"));
    const std::string notes = m_home / "notes.txt";
    WriteFileBytes(notes, "not a spectrum\r\n");
    CMainFrame& frame = OpenFrame();

    // Shown for the files asked for; the stored setting is not changed by it.
    Open({absorbance});
    EXPECT_TRUE(frame.IsPreviewShown());
    EXPECT_EQ(Plotted(), 1u);
    EXPECT_EQ(Preview().Content().plot->traces.at(0).unit, "Absorbance");

    Open({lamp, dark});
    EXPECT_EQ(Plotted(), 2u);
    EXPECT_EQ(Preview().CurrentLayout()->legend.size(), 2u);

    // Two units get an axis each; a file of a third is left out and named.
    Open({lamp, absorbance, transmission, converted});
    EXPECT_EQ(Plotted(), 3u);
    EXPECT_TRUE(Preview().CurrentLayout()->y2Range);
    EXPECT_EQ(Preview().Content().plot->notes.at(0),
              "Not drawn, as a picture shows two units at most: leaf.transmission_ks "
              "(Transmission)");

    // No message box: an unexpected one fails the test.
    Open({notes});
    EXPECT_EQ(Plotted(), 0u);
    EXPECT_EQ(Preview().Content().text, "notes.txt: not a spectrum file that KiroConv reads.");

    frame.PreviewFiles({lamp});
    const PlotRange whole = Preview().CurrentLayout()->xRange;
    const PlotRect area = Preview().CurrentLayout()->area;
    Preview().ZoomTo({area.left + 10, area.top + 10}, {area.left + 60, area.bottom - 10});
    EXPECT_LT(Preview().CurrentLayout()->xRange.Span(), whole.Span() / 2);
    Preview().ResetZoom();
    EXPECT_EQ(Preview().CurrentLayout()->xRange.Span(), whole.Span());
    CloseFrame();
    EXPECT_EQ(StoredSettings().count("Settings/ShowPreview"), 0u);
}

// Every text of the layout (caption, tick labels, axis titles) leaves ink where the layout
// puts it: a drawing back end that measures texts as empty draws none.
TEST_F(PreviewTest, EveryTextOfThePlotIsDrawn) {
    const std::string lamp = Sample("lamp.scope_ks", testdata::MakeLampSpectrum());
    CMainFrame& frame = OpenFrame();
    frame.PreviewFiles({lamp});
    Idle();
    const std::optional<PlotLayout> layout = Preview().CurrentLayout();
    ASSERT_TRUE(layout);
    const wxImage picture = Preview().Picture().ConvertToImage();
    ASSERT_EQ(picture.GetWidth(), static_cast<int>(layout->width));
    ASSERT_FALSE(layout->texts.empty());
    for (const PlotText& text : layout->texts) {
        const int x = static_cast<int>(text.at.x);
        const int y = static_cast<int>(text.at.y);
        // Around the anchor, on the side the text runs to.
        const int left = text.align == TextAlign::Left ? x : x - 12;
        bool inked = false;
        for (int px = std::max(left, 0); px < std::min(left + 24, picture.GetWidth()); ++px) {
            for (int py = std::max(y - 6, 0); py < std::min(y + 7, picture.GetHeight()); ++py) {
                inked = inked || picture.GetRed(px, py) + picture.GetGreen(px, py) +
                                         picture.GetBlue(px, py) <
                                     3 * 160;
            }
        }
        EXPECT_TRUE(inked) << "no ink for \"" << text.text << "\" at " << x << "," << y;
    }
}

// The PNG shows the layout on screen: its size, and the curve's pixels where the layout
// puts the curve. The SVG is a document an XML reader takes, whose texts are the layout's,
// a name with markup characters included. (Names beyond ASCII: WindowsBuildTest; this
// fixture writes its files through the system's code page.)
TEST_F(PreviewTest, SavesThePictureOnScreenAsPngAndSvg) {
    const std::string lamp = Sample("a&b 'c'.scope_ks", testdata::MakeLampSpectrum());
    OpenFrame();
    Open({lamp});
    Idle();
    const std::optional<PlotLayout> layout = Preview().CurrentLayout();
    ASSERT_TRUE(layout);
    const std::string png = m_home / "out.png";
    m_dialogs.answers.push_back({png});
    Preview().SaveAs(false);
    EXPECT_EQ(Preview().Note(), "");
    if (wxImage::FindHandler(wxBITMAP_TYPE_PNG) == nullptr) {
        wxImage::AddHandler(new wxPNGHandler);
    }
    wxImage image;
    ASSERT_TRUE(image.LoadFile(ToWx(png), wxBITMAP_TYPE_PNG));
    EXPECT_EQ(image.GetWidth(), static_cast<int>(std::lround(layout->width)));
    EXPECT_EQ(image.GetHeight(), static_cast<int>(std::lround(layout->height)));
    RgbPicture picture{
        image.GetWidth(),
        image.GetHeight(),
        {image.GetData(), image.GetData() + 3 * image.GetWidth() * image.GetHeight()}};
    ASSERT_EQ(layout->lines.size(), 1u);
    EXPECT_EQ(CurveMisplacement(picture, layout->lines[0].segments, kPlotPalette[0], layout->area),
              "");

    const std::string svg = m_home / "out.svg";
    m_dialogs.answers.push_back({svg});
    Preview().SaveAs(true);
    wxXmlDocument document;
    ASSERT_TRUE(document.Load(ToWx(svg)));
    EXPECT_EQ(document.GetRoot()->GetName(), "svg");
    std::vector<std::string> texts;
    for (wxXmlNode* node = document.GetRoot()->GetChildren(); node; node = node->GetNext()) {
        for (wxXmlNode* child = node->GetChildren(); child; child = child->GetNext()) {
            if (child->GetName() == "text") {
                texts.push_back(FromWx(child->GetNodeContent()));
            }
        }
    }
    ASSERT_EQ(texts.size(), layout->texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(texts[i], layout->texts[i].text);
    }
    EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [](const std::string& text) {
        return text.starts_with("a&b 'c'.scope_ks: ");
    })) << "the caption names the file";
    EXPECT_NE(ReadFileBytes(svg).find("\r\n"), std::string::npos);

    m_dialogs.answers.push_back({(m_home.Path() / "missing-folder" / "out.png").string()});
    Preview().SaveAs(false);
    EXPECT_EQ(Preview().Note().rfind("Cannot save ", 0), 0u);
}

}  // namespace
}  // namespace kiro::test
