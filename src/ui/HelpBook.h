#pragma once

#include <wx/fileconf.h>
#include <wx/html/helpctrl.h>
#include <wx/weakref.h>

#include <map>
#include <string>
#include <vector>

class wxHelpEvent;
class wxWindow;

namespace kiro {

// The help book bundled with the program, shown in a help window of its own; and
// context help, which finds the page for a part of the main window.
class CHelpBook {
public:
    explicit CHelpBook(wxWindow* parent);

    // Adds the book (by default the embedded one; ui/ResourceFiles.h). False when it
    // cannot be read.
    bool Load();
    bool Load(const wxString& bookUrl);
    // Entries in the book's table of contents; 0 before a book is loaded.
    std::size_t ContentsCount();

    // Help Topics.
    void DisplayContents();
    // A page of the book, with an anchor if wanted: "menu_file.html#connect".
    bool Display(const std::string& page);

    // Context help: `window` and every window inside it without a page of its own get
    // help on `page`.
    void SetPageFor(wxWindow* window, const std::string& page);
    // A toolbar button, or a control carrying a command's id, gets help on `page`.
    void SetPageForCommand(int commandId, const std::string& page);
    // The page for a click on `window` at `screenPoint`: the toolbar button's command,
    // else the window or its nearest parent with a page of its own, else a control's
    // command; empty when there is none.
    std::string PageFor(wxWindow* window, const wxPoint& screenPoint = wxDefaultPosition) const;
    // F1: help on the window that has the focus, or the contents when it has no page.
    void DisplayFor(wxWindow* window);

    // Shift+F1 and the context help button: the pointer becomes a question mark and
    // the next click asks for help on what it hits, which reaches OnHelp.
    static void RunContextHelpMode(wxWindow* frame);
    // Handler of wxEVT_HELP on the main window:
    //   Bind(wxEVT_HELP, &CHelpBook::OnHelp, &m_helpBook);
    void OnHelp(wxHelpEvent& event);

    wxHtmlHelpController& Controller() { return m_controller; }

private:
    struct WindowPage {
        wxWeakRef<wxWindow> window;  // null once the window is gone
        std::string page;
    };

    std::string PageOfWindow(const wxWindow* window) const;
    std::string PageOfCommand(int commandId) const;

    // The help window remembers its size here, not in the user's settings file.
    wxFileConfig m_helpWindowConfig{wxString(), wxString(), wxString(), wxString(), 0};
    wxHtmlHelpController m_controller;
    std::vector<WindowPage> m_windowPages;
    std::map<int, std::string> m_commandPages;
};

// Gives the commands of the main window's menus, toolbars and target bar their pages.
void SetCommandPages(CHelpBook& helpBook);

// Pages of the book for the parts of the main window.
namespace help_page {
inline constexpr const char* kTree = "main_window.html#tree";
inline constexpr const char* kFileList = "main_window.html#list";
inline constexpr const char* kDeviceToolBar = "main_window.html#devicebar";
inline constexpr const char* kViewToolBar = "main_window.html#viewbar";
inline constexpr const char* kTargetBar = "target_bar.html";
inline constexpr const char* kStatusBar = "main_window.html#statusbar";
inline constexpr const char* kMainWindow = "main_window.html";
inline constexpr const char* kNewLogFileDialog = "menu_log.html#setname";
inline constexpr const char* kAboutBox = "about.html#box";
}  // namespace help_page

}  // namespace kiro
