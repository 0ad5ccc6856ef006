#pragma once

#include <wx/app.h>
#include <wx/init.h>

#include <cstdio>

namespace kiro::bench {

// Starts the toolkit with `app` on the display for a benchmark that drives windows
// itself; false (and says so) without a display. A failed check is reported, never
// shown in a box that nobody answers.
inline bool StartToolkit(wxApp* app, char** argv) {
    wxApp::SetInstance(app);
    int wxArgc = 1;
    if (!wxEntryStart(wxArgc, argv)) {
        std::fprintf(stderr, "no display\n");
        return false;
    }
    wxSetAssertHandler([](const wxString& file, int line, const wxString&, const wxString& cond,
                          const wxString& message) {
        std::fprintf(stderr, "%s:%d: assert %s %s\n", file.utf8_string().c_str(), line,
                     cond.utf8_string().c_str(), message.utf8_string().c_str());
    });
    return true;
}

}  // namespace kiro::bench
