// Runs the window tests on a display (a virtual one under ctest): one application object
// for all tests, wx asserts and unexpected dialogs turned into test failures.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/log.h>
#include <wx/modalhook.h>

#include <cstdlib>
#include <iostream>

#include "DialogTesting.h"
#include "FrameFixture.h"
#include "ui/KiroConvApp.h"

namespace {

// The tests make their own windows; the application only has to exist.
class CGuiTestApp final : public kiro::CKiroConvApp {
public:
    bool OnInit() override { return true; }
};

std::function<int(wxDialog*)> g_modalAnswerer;
std::function<void(wxDialog*)> g_modalEnded;

// A dialog that no test asked for would wait for a user who never comes: report it and
// answer Cancel instead.
class CUnexpectedDialogHook final : public wxModalDialogHook {
protected:
    int Enter(wxDialog* dialog) override {
        if (g_modalAnswerer) {
            return g_modalAnswerer(dialog);
        }
        ADD_FAILURE() << "unexpected modal dialog \"" << dialog->GetTitle().utf8_string() << '"';
        return wxID_CANCEL;
    }
    void Exit(wxDialog* dialog) override {
        if (g_modalEnded) {
            g_modalEnded(dialog);
        }
    }
};

}  // namespace

void kiro::test::SetModalAnswerer(std::function<int(wxDialog*)> answer,
                                  std::function<void(wxDialog*)> ended) {
    g_modalAnswerer = std::move(answer);
    g_modalEnded = std::move(ended);
}

int main(int argc, char** argv) {
#ifndef _WIN32
    // A desktop settings daemon is not there to answer; without this GTK may hang.
    setenv("GSETTINGS_BACKEND", "memory", 1);
#endif
    testing::InitGoogleTest(&argc, argv);
    wxApp::SetInstance(new CGuiTestApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
        std::cerr << "cannot start the toolkit (no display?)\n";
        return 1;
    }
    wxSetAssertHandler([](const wxString& file, int line, const wxString& func,
                          const wxString& cond, const wxString& message) {
        ADD_FAILURE_AT(file.utf8_string().c_str(), line)
            << "wx assert in " << func.utf8_string() << ": " << cond.utf8_string() << " "
            << message.utf8_string();
    });
    delete wxLog::SetActiveTarget(new wxLogStream(&std::cout));
    // The run script starts a window manager beside the tests; let it come up first, so
    // that no window is mapped before it and adopted half-way.
    if (std::getenv("KIROCONV_WAIT_FOR_WM") != nullptr && !kiro::test::WaitForWindowManager(10)) {
        std::cerr << "no window manager came up\n";
    }
    CUnexpectedDialogHook dialogHook;
    dialogHook.Register();
    const int result = RUN_ALL_TESTS();
    dialogHook.Unregister();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return result;
}
