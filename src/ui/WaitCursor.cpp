#include "ui/WaitCursor.h"

#include <wx/utils.h>
#include <wx/window.h>

namespace kiro {
namespace {

void ShowWaitCursor(wxWindow* repaintFirst) {
    wxBeginBusyCursor();
    if (repaintFirst != nullptr) {
        repaintFirst->Update();
    }
}

}  // namespace

CWaitCursor::CWaitCursor(wxWindow* repaintFirst) {
    ShowWaitCursor(repaintFirst);
}

CWaitCursor::~CWaitCursor() {
    wxEndBusyCursor();
}

BusyHook WaitCursorHook(wxWindow* repaintFirst) {
    return [repaintFirst](bool busy) {
        if (busy) {
            ShowWaitCursor(repaintFirst);
        } else {
            wxEndBusyCursor();
        }
    };
}

}  // namespace kiro
