#include "ui/AboutDlg.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include <algorithm>

#include "KiroConvVersion.h"
#include "ui/ResourceFiles.h"
#include "ui/WxText.h"

namespace kiro {

CAboutDlg::CAboutDlg(wxWindow* parent, std::string versionText)
    : m_strVersion(std::move(versionText)) {
    SetExtraStyle(GetExtraStyle() | wxDIALOG_EX_CONTEXTHELP);
    Create(parent, wxID_ANY, "About KiroConv");
    CreateControls();
}

// The layout keeps the proportions of the box's original template, in dialog units.
void CAboutDlg::CreateControls() {
    const auto dlu = [this](int x, int y) { return wxDLG_UNIT(this, wxSize(x, y)); };
    const int gap = dlu(5, 5).y;
    const auto centredLine = [&](wxWindowID id, const std::string& text) {
        // As wide as the template's line, or as the text where the system's font is wider
        // (Windows' cut the copyright line short).
        const wxString label = ToWx(text);
        const int width = std::max(dlu(119, -1).x, GetTextExtent(label).x + dlu(4, -1).x);
        // No mnemonic prefix: an "&" in a version text is shown as it is.
        auto* line = new wxStaticText(this, id, wxString(), wxDefaultPosition, wxSize(width, -1),
                                      wxALIGN_CENTRE_HORIZONTAL | wxST_NO_AUTORESIZE);
        line->SetLabelText(label);
        return line;
    };

    auto* top = new wxBoxSizer(wxHORIZONTAL);
    top->Add(new wxStaticBitmap(this, wxID_ANY, LoadSvgBundle("kiroconv.svg", 32)));
    // Appended in turn: g++ 12 wrongly sees an out-of-bounds copy in the chained "+" of
    // these constants when the toolkit's headers are precompiled.
    std::string nameBlock(version::kCompanyName);
    nameBlock.append("\n").append(version::kFileDescription).append("\n");
    nameBlock.append(version::kProductName);
    auto* name = new wxStaticText(this, wxID_ANY, ToWx(nameBlock), wxDefaultPosition, dlu(105, -1),
                                  wxALIGN_CENTRE_HORIZONTAL | wxST_NO_AUTORESIZE);
    top->Add(name, wxSizerFlags(1).Border(wxLEFT, gap));

    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(top, wxSizerFlags().Expand());
    column->Add(centredLine(wxID_ANY, "Program Version"),
                wxSizerFlags().CenterHorizontal().Border(wxTOP, gap));
    column->Add(centredLine(kIdVersionText, m_strVersion),
                wxSizerFlags().CenterHorizontal().Border(wxTOP, gap));
    column->Add(centredLine(wxID_ANY, std::string(version::kLegalCopyright)),
                wxSizerFlags().CenterHorizontal().Border(wxTOP, gap));
    auto* ok = new wxButton(this, wxID_OK, "OK", wxDefaultPosition, dlu(50, -1));
    ok->SetDefault();
    column->Add(ok, wxSizerFlags().CenterHorizontal().Border(wxTOP, 3 * gap));

    auto* outer = new wxBoxSizer(wxVERTICAL);
    outer->Add(column, wxSizerFlags(1).Expand().Border(wxALL, gap));
    SetSizerAndFit(outer);
    CentreOnParent();
    ok->SetFocus();
}

}  // namespace kiro
