#pragma once

#include <wx/button.h>
#include <wx/sizer.h>

namespace kiro {

// The OK (default) and Cancel buttons of a small dialog, in dialog units as its
// original template had them, `gap` apart times three.
inline wxSizer* CreateOkCancelRow(wxWindow* dialog, int gap) {
    const wxSize button = wxDLG_UNIT(dialog, wxSize(50, -1));
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    auto* ok = new wxButton(dialog, wxID_OK, "OK", wxDefaultPosition, button);
    ok->SetDefault();
    row->Add(ok);
    row->Add(new wxButton(dialog, wxID_CANCEL, "Cancel", wxDefaultPosition, button),
             wxSizerFlags().Border(wxLEFT, 3 * gap));
    return row;
}

}  // namespace kiro
