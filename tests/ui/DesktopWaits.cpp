// Waiting for the desktop: the window manager, and a program's windows. X11's on Linux,
// the window system's own on Windows.
#include "FrameFixture.h"

#include <wx/utils.h>

#include <chrono>
#include <functional>

#ifdef _WIN32
#include <windows.h>
#else
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#endif

namespace kiro::test {

#ifdef _WIN32

namespace {

struct ProcessWindows {
    DWORD pid = 0;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM context) {
    auto& found = *reinterpret_cast<ProcessWindows*>(context);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == found.pid && ::IsWindowVisible(window)) {
        found.windows.push_back(window);
    }
    return TRUE;
}

std::vector<HWND> VisibleWindowsOf(int pid) {
    ProcessWindows found{static_cast<DWORD>(pid), {}};
    ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&found));
    return found.windows;
}

bool Within(double seconds, const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done() && std::chrono::steady_clock::now() < deadline) {
        wxMilliSleep(20);
    }
    return done();
}

}  // namespace

// Windows manages its windows itself.
bool WaitForWindowManager(double) {
    return true;
}

bool WaitForWindowOf(int pid, double seconds) {
    return Within(seconds, [pid] { return !VisibleWindowsOf(pid).empty(); });
}

std::vector<std::string> VisibleWindowTitlesOf(int pid) {
    std::vector<std::string> titles;
    for (const HWND window : VisibleWindowsOf(pid)) {
        wchar_t title[512] = {};
        ::GetWindowTextW(window, title, 512);
        titles.push_back(wxString(title).utf8_string());
    }
    return titles;
}

void CloseWindowsOf(int pid) {
    for (const HWND window : VisibleWindowsOf(pid)) {
        ::PostMessageW(window, WM_CLOSE, 0, 0);
    }
}

#else

namespace {

// The values of a window property of 32-bit items (windows, cardinals); none if unset.
std::vector<unsigned long> WindowProperty(Display* display, Window window, const char* name,
                                          Atom itemType) {
    const Atom property = XInternAtom(display, name, True);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> values;
    if (property != None &&
        XGetWindowProperty(display, window, property, 0, 4096, False, itemType, &type, &format,
                           &count, &remaining, &data) == Success &&
        format == 32) {
        const auto* items = reinterpret_cast<const unsigned long*>(data);
        values.assign(items, items + count);
    }
    XFree(data);
    return values;
}

bool WaitOnDisplayFor(double seconds, const std::function<bool(Display*)>& done) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done(display) && std::chrono::steady_clock::now() < deadline) {
        wxMilliSleep(20);
    }
    const bool found = done(display);
    XCloseDisplay(display);
    return found;
}

}  // namespace

bool WaitForWindowManager(double seconds) {
    // A window manager names its check window on the root.
    return WaitOnDisplayFor(seconds, [](Display* display) {
        return WindowProperty(display, DefaultRootWindow(display), "_NET_SUPPORTING_WM_CHECK",
                              XA_WINDOW)
                   .size() == 1;
    });
}

bool WaitForWindowOf(int pid, double seconds) {
    return WaitOnDisplayFor(seconds, [pid](Display* display) {
        for (const unsigned long window :
             WindowProperty(display, DefaultRootWindow(display), "_NET_CLIENT_LIST", XA_WINDOW)) {
            const std::vector<unsigned long> owner =
                WindowProperty(display, window, "_NET_WM_PID", XA_CARDINAL);
            if (owner.size() == 1 && owner[0] == static_cast<unsigned long>(pid)) {
                return true;
            }
        }
        return false;
    });
}

#endif

}  // namespace kiro::test
