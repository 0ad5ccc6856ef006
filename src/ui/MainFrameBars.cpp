// The main window's bars: status bar, menus, toolbars, the target bar and the keys, and
// the help pages of its parts.
#include <wx/accel.h>
#include <wx/menu.h>
#include <wx/statusbr.h>

#include "commands/CommandIds.h"
#include "commands/CommandPrompts.h"
#include "conversion/OutputFormats.h"
#include "seams/WindowTexts.h"
#include "ui/KiroConvView.h"
#include "ui/LeftView.h"
#include "ui/MainFrame.h"
#include "ui/PromptToolBar.h"
#include "ui/ResourceFiles.h"
#include "ui/WxText.h"
#include "ui/transfer/TargetBar.h"

namespace kiro {

namespace {

constexpr int kToolPictureSize = 16;
constexpr long kToolBarStyle = wxAUI_TB_DEFAULT_STYLE | wxAUI_TB_GRIPPER;

void AppendCommand(wxMenu* menu, int id, std::string_view text, wxItemKind kind = wxITEM_NORMAL) {
    menu->Append(WxCommandId(id), ToWx(text), ToWx(StatusPrompt(id)), kind);
}

wxBitmapBundle ToolPicture(const char* name) {
    return LoadSvgBundle(name, kToolPictureSize);
}

}  // namespace

void CMainFrame::CreateStatusBarPanes() {
    wxStatusBar* bar = CreateStatusBar(4);
    const int widths[] = {-1, 45, 45, 45};
    bar->SetStatusWidths(4, widths);
    SetStatusBarPane(0);
    ShowIdleText();
}

void CMainFrame::CreateMenuBar() {
    auto* file = new wxMenu;
    AppendCommand(file, kIdConnect, "&Connect", wxITEM_CHECK);
    AppendCommand(file, kIdCreateDirectory, "Create &Directory...");
    AppendCommand(file, kIdDeleteFiles, "D&elete Files");
    file->AppendSeparator();
    AppendCommand(file, kIdOpenSpectrumFile, "Open Spectrum File...");
    file->AppendSeparator();
    AppendCommand(file, kIdExit, "E&xit");

    auto* view = new wxMenu;
    AppendCommand(view, kIdListLargeIcons, "Large &Icons", wxITEM_RADIO);
    AppendCommand(view, kIdListSmallIcons, "S&mall Icons", wxITEM_RADIO);
    AppendCommand(view, kIdListList, "&List", wxITEM_RADIO);
    AppendCommand(view, kIdListDetails, "&Details", wxITEM_RADIO);
    view->AppendSeparator();
    AppendCommand(view, kIdRefresh, "&Refresh");
    view->AppendSeparator();
    AppendCommand(view, kIdStatusBar, "&Status Bar", wxITEM_CHECK);
    AppendCommand(view, kIdSpectrumPreview, "Spectrum &Preview", wxITEM_CHECK);

    auto* format = new wxMenu;
    for (const OutputFormatRow& row : OutputFormats()) {
        AppendCommand(format, row.commandId, row.menuLabel, wxITEM_CHECK);
    }

    auto* conversion = new wxMenu;
    AppendCommand(conversion, kIdBrowseTarget, "Set Transfer Directory...");
    conversion->AppendSubMenu(format, "Conversion &Format");
    AppendCommand(conversion, kIdOverwritePrompt, "&Prompt Before Overwriting Output File",
                  wxITEM_CHECK);
    AppendCommand(conversion, kIdGo, "Convert &Selected Files");
    AppendCommand(conversion, kIdConvertLocalFiles, "Convert &Local Files...");

    auto* log = new wxMenu;
    AppendCommand(log, kIdLogEnabled, "&Enabled", wxITEM_CHECK);
    AppendCommand(log, kIdViewCurrentLog, "&View Current");
    AppendCommand(log, kIdSetLogFilename, "&Set Log Filename...");
    AppendCommand(log, kIdViewStoredLog, "View Stored Log...");
    AppendCommand(log, kIdClearLog, "&Clear");

    auto* help = new wxMenu;
    AppendCommand(help, kIdHelpTopics, "&Help Topics");
    help->AppendSeparator();
    AppendCommand(help, kIdAbout, "&About KiroConv...");

    auto* menuBar = new wxMenuBar;
    menuBar->Append(file, "&File");
    menuBar->Append(view, "&View");
    menuBar->Append(conversion, "&Conversion");
    menuBar->Append(log, "&Log");
    menuBar->Append(help, "&Help");
    SetMenuBar(menuBar);
}

void CMainFrame::CreateToolBars() {
    auto* device = new CPromptToolBar(this, kToolBarStyle);
    device->AddCommand(kIdConnect, ToolPicture("tb_connect.svg"), wxITEM_CHECK);
    device->AddSeparator();
    device->AddCommand(kIdCreateDirectory, ToolPicture("tb_createdir.svg"));
    device->AddCommand(kIdDeleteFiles, ToolPicture("tb_delete.svg"));
    device->AddCommand(kIdRefresh, ToolPicture("tb_refresh.svg"));
    device->AddSeparator();
    device->AddCommand(kIdLogEnabled, ToolPicture("tb_log.svg"), wxITEM_CHECK);
    device->Realize();
    m_deviceBar = device;

    auto* view = new CPromptToolBar(this, kToolBarStyle);
    view->AddCommand(kIdListLargeIcons, ToolPicture("tb_largeicons.svg"), wxITEM_CHECK);
    view->AddCommand(kIdListSmallIcons, ToolPicture("tb_smallicons.svg"), wxITEM_CHECK);
    view->AddCommand(kIdListList, ToolPicture("tb_list.svg"), wxITEM_CHECK);
    view->AddCommand(kIdListDetails, ToolPicture("tb_details.svg"), wxITEM_CHECK);
    view->AddSeparator();
    view->AddCommand(kIdContextHelp, ToolPicture("tb_contexthelp.svg"));
    view->Realize();
    m_viewBar = view;
}

void CMainFrame::CreateTargetBar() {
    m_targetBar = new CTargetBar(this);
}

void CMainFrame::DockBars() {
    m_aui.AddPane(
        m_deviceBar,
        wxAuiPaneInfo().Name("DeviceBar").Caption("Device").ToolbarPane().Top().Row(0).Position(0));
    m_aui.AddPane(m_targetBar, wxAuiPaneInfo()
                                   .Name("TargetBar")
                                   .Caption("Target")
                                   .ToolbarPane()
                                   .Top()
                                   .Row(0)
                                   .Position(1)
                                   .LeftDockable(false)
                                   .RightDockable(false));
    m_aui.AddPane(
        m_viewBar,
        wxAuiPaneInfo().Name("ViewBar").Caption("View").ToolbarPane().Top().Row(0).Position(2));
    m_aui.Update();
}

void CMainFrame::CreateAccelerators() {
    // F1 raises no help event on every platform, so the help keys are plain commands.
    const wxAcceleratorEntry keys[] = {
        {wxACCEL_NORMAL, WXK_F6, WxCommandId(kIdNextPane)},
        {wxACCEL_SHIFT, WXK_F6, WxCommandId(kIdPrevPane)},
        {wxACCEL_NORMAL, WXK_F1, WxCommandId(kIdHelp)},
        {wxACCEL_SHIFT, WXK_F1, WxCommandId(kIdContextHelp)},
    };
    SetAcceleratorTable(wxAcceleratorTable(static_cast<int>(std::size(keys)), keys));
}

void CMainFrame::SetUpHelp() {
    m_helpBook.Load();
    SetCommandPages(m_helpBook);
    m_helpBook.SetPageFor(this, help_page::kMainWindow);
    m_helpBook.SetPageFor(m_treeView, help_page::kTree);
    m_helpBook.SetPageFor(m_listView, help_page::kFileList);
    m_helpBook.SetPageFor(m_deviceBar, help_page::kDeviceToolBar);
    m_helpBook.SetPageFor(m_viewBar, help_page::kViewToolBar);
    m_helpBook.SetPageFor(m_targetBar, help_page::kTargetBar);
    m_helpBook.SetPageFor(GetStatusBar(), help_page::kStatusBar);
    // Shift+F1 mode and the dialogs' "?" buttons raise help events.
    Bind(wxEVT_HELP, &CHelpBook::OnHelp, &m_helpBook);
}

}  // namespace kiro
