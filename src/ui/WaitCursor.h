#pragma once

#include "platform/BusyScope.h"

class wxWindow;

namespace kiro {

// The window's one wait cursor, shown while a long step runs on the user-interface
// thread. When a window is given it is repainted first, so that what a dialog or a menu
// covered is drawn before the work starts.
class CWaitCursor {
public:
    explicit CWaitCursor(wxWindow* repaintFirst = nullptr);
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};

// The same wait cursor, as the hook the engine's commands call around their long steps.
BusyHook WaitCursorHook(wxWindow* repaintFirst);

}  // namespace kiro
