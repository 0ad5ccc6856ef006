// The binding of the main window's commands, keys and notifications to their handlers.
#include <wx/listctrl.h>

#include "commands/CommandIds.h"
#include "conversion/OutputFormats.h"
#include "ui/KiroConvView.h"
#include "ui/LeftView.h"
#include "ui/MainFrame.h"

namespace kiro {

namespace {

// The handlers of a Conversion Format item: Tab, Comma, KiroBench and SPC keep handlers of
// their own names; any other format goes through the general pair.
struct FormatHandlers {
    void (CMainFrame::*command)(wxCommandEvent&);
    void (CMainFrame::*update)(wxUpdateUIEvent&);
};

FormatHandlers HandlersOf(OutputFormat format) {
    switch (format) {
        case OutputFormat::Tab:
            return {&CMainFrame::OnFormatTab, &CMainFrame::OnUpdateFormatTab};
        case OutputFormat::Comma:
            return {&CMainFrame::OnFormatComma, &CMainFrame::OnUpdateFormatComma};
        case OutputFormat::KiroBench:
            return {&CMainFrame::OnFormatKiroBench, &CMainFrame::OnUpdateFormatKiroBench};
        case OutputFormat::Spc:
            return {&CMainFrame::OnFormatSpc, &CMainFrame::OnUpdateFormatSpc};
        default:
            return {&CMainFrame::OnFormat, &CMainFrame::OnUpdateFormat};
    }
}

}  // namespace

void CMainFrame::BindCommands() {
    Bind(wxEVT_CLOSE_WINDOW, &CMainFrame::OnClose, this);
    Bind(wxEVT_MOVE, &CMainFrame::OnMoveOrSize, this);
    Bind(wxEVT_SIZE, &CMainFrame::OnMoveOrSize, this);
    Bind(wxEVT_IDLE, &CMainFrame::OnIdle, this);

    // Toolbar buttons send the same menu command as their menu items.
    const auto command = [this](auto handler, int id) {
        Bind(wxEVT_MENU, handler, this, WxCommandId(id));
    };
    command(&CMainFrame::OnConnect, kIdConnect);
    command(&CMainFrame::OnCreateDirectory, kIdCreateDirectory);
    command(&CMainFrame::OnDeleteFiles, kIdDeleteFiles);
    command(&CMainFrame::OnOpenSpectrumFile, kIdOpenSpectrumFile);
    command(&CMainFrame::OnSpectrumPreview, kIdSpectrumPreview);
    command(&CMainFrame::OnExit, kIdExit);
    Bind(wxEVT_MENU, &CMainFrame::OnListStyle, this, WxCommandId(kIdListSmallIcons),
         WxCommandId(kIdListDetails));
    command(&CMainFrame::OnRefresh, kIdRefresh);
    command(&CMainFrame::OnViewStatusBar, kIdStatusBar);
    command(&CMainFrame::OnBrowseTarget, kIdBrowseTarget);
    command(&CMainFrame::OnOverwritePrompt, kIdOverwritePrompt);
    command(&CMainFrame::OnGo, kIdGo);
    command(&CMainFrame::OnConvertLocalFiles, kIdConvertLocalFiles);
    command(&CMainFrame::OnLogEnabled, kIdLogEnabled);
    command(&CMainFrame::OnViewCurrentLog, kIdViewCurrentLog);
    command(&CMainFrame::OnSetLogFilename, kIdSetLogFilename);
    command(&CMainFrame::OnViewStoredLog, kIdViewStoredLog);
    command(&CMainFrame::OnClearLog, kIdClearLog);
    command(&CMainFrame::OnHelpTopics, kIdHelpTopics);
    command(&CMainFrame::OnHelp, kIdHelp);
    command(&CMainFrame::OnContextHelp, kIdContextHelp);
    command(&CMainFrame::OnNextPane, kIdNextPane);
    command(&CMainFrame::OnPrevPane, kIdPrevPane);

    // The target bar's buttons and controls.
    Bind(wxEVT_BUTTON, &CMainFrame::OnBrowseTarget, this, WxCommandId(kIdBrowseTarget));
    Bind(wxEVT_BUTTON, &CMainFrame::OnGo, this, WxCommandId(kIdGo));
    Bind(wxEVT_TEXT, &CMainFrame::OnTargetChanged, this, WxCommandId(kIdTargetEdit));
    Bind(wxEVT_CHOICE, &CMainFrame::OnActionChanged, this, WxCommandId(kIdActionList));

    const auto update = [this](auto handler, int id) {
        Bind(wxEVT_UPDATE_UI, handler, this, WxCommandId(id));
    };
    update(&CMainFrame::OnUpdateConnect, kIdConnect);
    update(&CMainFrame::OnUpdateDeviceCommand, kIdCreateDirectory);
    update(&CMainFrame::OnUpdateDeviceCommand, kIdDeleteFiles);
    update(&CMainFrame::OnUpdateDeviceCommand, kIdRefresh);
    Bind(wxEVT_UPDATE_UI, &CMainFrame::OnUpdateListStyle, this, WxCommandId(kIdListSmallIcons),
         WxCommandId(kIdListDetails));
    update(&CMainFrame::OnUpdateViewStatusBar, kIdStatusBar);
    update(&CMainFrame::OnUpdateSpectrumPreview, kIdSpectrumPreview);
    for (const OutputFormatRow& row : OutputFormats()) {
        const FormatHandlers handlers = HandlersOf(row.format);
        command(handlers.command, row.commandId);
        update(handlers.update, row.commandId);
    }
    update(&CMainFrame::OnUpdateOverwritePrompt, kIdOverwritePrompt);
    update(&CMainFrame::OnUpdateGo, kIdGo);
    update(&CMainFrame::OnUpdateLogEnabled, kIdLogEnabled);

    // F6 goes on from the pane that last had the focus (itself or a window inside it).
    const auto rememberPane = [this](wxWindow* pane) {
        pane->Bind(wxEVT_CHILD_FOCUS, [this, pane](wxChildFocusEvent& event) {
            m_activePane = pane;
            event.Skip();
        });
    };
    rememberPane(m_treeView);
    rememberPane(m_listView);

    const auto selectionChanged = [this](wxListEvent& event) {
        event.Skip();
        SchedulePreviewUpdate();
    };
    m_listView->Bind(wxEVT_LIST_ITEM_SELECTED, selectionChanged);
    m_listView->Bind(wxEVT_LIST_ITEM_DESELECTED, selectionChanged);
}

}  // namespace kiro
