#include "ui/HelpBook.h"

#include <wx/aui/auibar.h>
#include <wx/cshelp.h>

#include "commands/CommandIds.h"
#include "conversion/OutputFormats.h"
#include "ui/ResourceFiles.h"
#include "ui/WxText.h"

namespace kiro {

CHelpBook::CHelpBook(wxWindow* parent) : m_controller(parent) {
    m_controller.UseConfig(&m_helpWindowConfig);
}

bool CHelpBook::Load() {
    RegisterHelpBook();
    return Load(kHelpBookUrl);
}

bool CHelpBook::Load(const wxString& bookUrl) {
    return m_controller.AddBook(bookUrl);
}

std::size_t CHelpBook::ContentsCount() {
    return m_controller.GetHelpData()->GetContentsArray().size();
}

void CHelpBook::DisplayContents() {
    m_controller.DisplayContents();
}

bool CHelpBook::Display(const std::string& page) {
    return m_controller.Display(ToWx(page));
}

void CHelpBook::SetPageFor(wxWindow* window, const std::string& page) {
    std::erase_if(m_windowPages, [window](const WindowPage& entry) {
        return entry.window.get() == nullptr || entry.window.get() == window;
    });
    m_windowPages.push_back({window, page});
}

void CHelpBook::SetPageForCommand(int commandId, const std::string& page) {
    m_commandPages[commandId] = page;
}

std::string CHelpBook::PageOfWindow(const wxWindow* window) const {
    for (const WindowPage& entry : m_windowPages) {
        if (entry.window.get() == window) {
            return entry.page;
        }
    }
    return {};
}

std::string CHelpBook::PageOfCommand(int commandId) const {
    const auto found = m_commandPages.find(commandId);
    return found == m_commandPages.end() ? std::string() : found->second;
}

std::string CHelpBook::PageFor(wxWindow* window, const wxPoint& screenPoint) const {
    // A toolbar is one window; the button under the pointer says what was meant.
    if (const auto* toolBar = dynamic_cast<const wxAuiToolBar*>(window);
        toolBar != nullptr && screenPoint != wxDefaultPosition) {
        const wxPoint inBar = toolBar->ScreenToClient(screenPoint);
        if (const wxAuiToolBarItem* tool = toolBar->FindToolByPosition(inBar.x, inBar.y)) {
            if (std::string page = PageOfCommand(tool->GetId()); !page.empty()) {
                return page;
            }
        }
    }
    for (const wxWindow* current = window; current != nullptr; current = current->GetParent()) {
        if (std::string page = PageOfWindow(current); !page.empty()) {
            return page;
        }
        if (std::string page = PageOfCommand(current->GetId()); !page.empty()) {
            return page;
        }
        if (current->IsTopLevel()) {
            break;
        }
    }
    return {};
}

void CHelpBook::DisplayFor(wxWindow* window) {
    const std::string page = PageFor(window);
    if (page.empty()) {
        DisplayContents();
    } else {
        Display(page);
    }
}

void CHelpBook::RunContextHelpMode(wxWindow* frame) {
    // Returns once the user has clicked something or pressed Escape.
    wxContextHelp contextHelp(frame);
}

void CHelpBook::OnHelp(wxHelpEvent& event) {
    const std::string page =
        PageFor(dynamic_cast<wxWindow*>(event.GetEventObject()), event.GetPosition());
    if (page.empty()) {
        DisplayContents();
    } else {
        Display(page);
    }
}

void SetCommandPages(CHelpBook& helpBook) {
    static const std::pair<int, const char*> kPages[] = {
        {kIdConnect, "menu_file.html#connect"},
        {kIdCreateDirectory, "menu_file.html#createdir"},
        {kIdDeleteFiles, "menu_file.html#delete"},
        {kIdExit, "menu_file.html#exit"},
        {kIdListLargeIcons, "menu_view.html#styles"},
        {kIdListSmallIcons, "menu_view.html#styles"},
        {kIdListList, "menu_view.html#styles"},
        {kIdListDetails, "menu_view.html#styles"},
        {kIdRefresh, "menu_view.html#refresh"},
        {kIdStatusBar, "menu_view.html#statusbar"},
        {kIdBrowseTarget, "target_bar.html#target"},
        {kIdTargetEdit, "target_bar.html#target"},
        {kIdActionList, "target_bar.html#action"},
        {kIdGo, "target_bar.html#action"},
        {kIdOverwritePrompt, "menu_conversion.html#overwrite"},
        {kIdConvertLocalFiles, "menu_conversion.html#local"},
        {kIdLogEnabled, "menu_log.html#enabled"},
        {kIdViewCurrentLog, "menu_log.html#viewcurrent"},
        {kIdSetLogFilename, "menu_log.html#setname"},
        {kIdViewStoredLog, "menu_log.html#viewstored"},
        {kIdClearLog, "menu_log.html#clear"},
        {kIdHelpTopics, "menu_help.html#topics"},
        {kIdAbout, "menu_help.html#about"},
        {kIdContextHelp, "menu_help.html#context"},
    };
    for (const auto& [commandId, page] : kPages) {
        helpBook.SetPageForCommand(commandId, page);
    }
    for (const OutputFormatRow& row : OutputFormats()) {
        helpBook.SetPageForCommand(row.commandId, std::string(row.helpPage));
    }
}

}  // namespace kiro
