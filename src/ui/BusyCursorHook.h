#pragma once

#include <wx/utils.h>
#include <wx/window.h>

#include "conversion/ConvertLocalFiles.h"

namespace kiro {

// The wait cursor for a batch of local conversions; `window` is repainted first, so
// that the area the file dialog covered is drawn again before the work starts.
inline CConvertLocalFiles::BusyHook BusyCursorFor(wxWindow* window) {
    return [window](bool busy) {
        if (busy) {
            wxBeginBusyCursor();
            window->Update();
        } else {
            wxEndBusyCursor();
        }
    };
}

}  // namespace kiro
