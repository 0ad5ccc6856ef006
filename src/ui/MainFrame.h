#pragma once

#include <wx/aui/framemanager.h>
#include <wx/frame.h>
#include <wx/imaglist.h>

#include <memory>
#include <optional>
#include <string>

#include "conversion/OutputFormats.h"
#include "devicelink/DeviceLink.h"
#include "devicelink/HandheldCommands.h"
#include "devicelink/RapiRemoteApi.h"
#include "log/ActivityLog.h"
#include "log/LogCommands.h"
#include "platform/Clock.h"
#include "platform/PaintThrottle.h"
#include "platform/UserName.h"
#include "seams/FileDialogs.h"
#include "settings/Settings.h"
#include "ui/HelpBook.h"
#include "ui/StatusBarPane.h"
#include "ui/WxFileDialogs.h"
#include "ui/WxMessageBox.h"
#include "ui/WxViewerLauncher.h"
#include "ui/log/NewLogFileDlg.h"

class wxSplitterWindow;
class wxUpdateUIEvent;
class wxCommandEvent;
class wxCloseEvent;
class wxAuiToolBar;

namespace kiro {

class CLeftView;
class CKiroConvView;
class CSpectrumPreview;
class CTargetBar;

// The one main window: menus, the device and view toolbars, the target bar, the status
// bar, and the splitter with the device tree and the file list. It owns the user's
// settings while the program runs, the device link and the activity log.
class CMainFrame final : public wxFrame {
public:
    // `documentsDir` is the target directory's default on a first run.
    CMainFrame(ISettingsStore& store, const std::string& documentsDir);
    ~CMainFrame() override;

    // Shows the window for the first time, in the stored show state.
    void ShowAtStartup();

    // Panes and parts.
    CLeftView* GetTreeView() const { return m_treeView; }
    CKiroConvView* GetListView() const { return m_listView; }
    CTargetBar* GetTargetBar() const { return m_targetBar; }
    wxSplitterWindow* GetSplitter() const { return m_splitter; }
    // The file list above the spectrum preview.
    wxSplitterWindow* GetPreviewSplitter() const { return m_previewSplitter; }
    CSpectrumPreview* GetPreview() const { return m_preview; }
    bool IsPreviewShown() const;
    // Shows spectrum files of the PC in the preview, showing the pane for this run
    // without changing the stored setting.
    void PreviewFiles(const std::vector<std::string>& paths);
    wxAuiManager& GetAuiManager() { return m_aui; }
    wxImageList& GetSmallImageList() { return *m_smallImages; }
    wxImageList& GetLargeImageList() { return *m_largeImages; }

    // The state the commands work on.
    ConnectState GetConnectState() const {
        return m_handheld ? m_handheld->State() : ConnectState::NotConnected;
    }
    CDeviceLink& GetDeviceLink() { return *m_deviceLink; }
    CActivityLog& GetActivityLog() { return m_log; }
    const FrameSettings& GetSettings() const { return m_settings; }
    int GetOutputFormat() const { return m_settings.outputFormat; }
    int GetOverwritePrompt() const { return m_settings.overwritePrompt; }
    ITextPane& GetStatusPane() { return m_statusPane; }
    IMessageBox& GetMessageBox() { return m_messageBox; }
    IFileDialogs& GetFileDialogs() { return *m_fileDialogs; }
    const IClock& GetClock() const { return m_clock; }
    const IUserName& GetUserName() const { return m_userName; }
    ISettingsStore& GetSettingsStore() { return m_store; }

    // Tests answer the file and folder dialogs with paths.
    void SetFileDialogs(IFileDialogs& dialogs);

    // The status bar text when nothing is going on.
    void ShowIdleText();

    // After a step that talked to the handheld: says once that it is gone, and shows
    // the not-connected state.
    void HandleLostConnection();
    CHelpBook& GetHelpBook() { return m_helpBook; }

    // Command handlers (public so that the panes and tests name them).
    void OnConnect(wxCommandEvent& event);
    void OnCreateDirectory(wxCommandEvent& event);
    void OnDeleteFiles(wxCommandEvent& event);
    void OnOpenSpectrumFile(wxCommandEvent& event);
    void OnSpectrumPreview(wxCommandEvent& event);
    void OnRefresh(wxCommandEvent& event);
    void OnGo(wxCommandEvent& event);
    void OnListStyle(wxCommandEvent& event);
    void OnFormatTab(wxCommandEvent& event);
    void OnFormatComma(wxCommandEvent& event);
    void OnFormatKiroBench(wxCommandEvent& event);
    void OnFormatSpc(wxCommandEvent& event);
    // Any other Conversion Format item, by its row of the output format table.
    void OnFormat(wxCommandEvent& event);
    void OnOverwritePrompt(wxCommandEvent& event);
    void OnConvertLocalFiles(wxCommandEvent& event);
    void OnLogEnabled(wxCommandEvent& event);
    void OnViewCurrentLog(wxCommandEvent& event);
    void OnSetLogFilename(wxCommandEvent& event);
    void OnViewStoredLog(wxCommandEvent& event);
    void OnClearLog(wxCommandEvent& event);
    void OnHelpTopics(wxCommandEvent& event);
    void OnHelp(wxCommandEvent& event);
    void OnContextHelp(wxCommandEvent& event);
    void OnViewStatusBar(wxCommandEvent& event);
    void OnExit(wxCommandEvent& event);
    void OnNextPane(wxCommandEvent& event);
    void OnPrevPane(wxCommandEvent& event);
    // The target bar's notifications.
    void OnTargetChanged(wxCommandEvent& event);
    void OnActionChanged(wxCommandEvent& event);
    void OnBrowseTarget(wxCommandEvent& event);

    // Update handlers.
    void OnUpdateConnect(wxUpdateUIEvent& event);
    void OnUpdateDeviceCommand(wxUpdateUIEvent& event);
    void OnUpdateGo(wxUpdateUIEvent& event);
    void OnUpdateListStyle(wxUpdateUIEvent& event);
    void OnUpdateFormatTab(wxUpdateUIEvent& event);
    void OnUpdateFormatComma(wxUpdateUIEvent& event);
    void OnUpdateFormatKiroBench(wxUpdateUIEvent& event);
    void OnUpdateFormatSpc(wxUpdateUIEvent& event);
    void OnUpdateFormat(wxUpdateUIEvent& event);
    void OnUpdateOverwritePrompt(wxUpdateUIEvent& event);
    void OnUpdateLogEnabled(wxUpdateUIEvent& event);
    void OnUpdateViewStatusBar(wxUpdateUIEvent& event);
    void OnUpdateSpectrumPreview(wxUpdateUIEvent& event);

private:
    class CCloseSteps;
    class CTreeHost;

    // Creation, in order.
    bool OnCreateClient();
    void RestoreWindowPlacement();
    void CreateStatusBarPanes();
    void CreateMenuBar();
    void CreateToolBars();
    void CreateTargetBar();
    void DockBars();
    void CreateAccelerators();
    void LoadFrameSettingsAndOpenLog();
    void BindCommands();

    void OnClose(wxCloseEvent& event);
    void OnMoveOrSize(wxEvent& event);
    void OnIdle(wxIdleEvent& event);
    void UpdateKeyIndicators();
    void RememberNormalRect();
    std::optional<WindowPlacement> CurrentPlacement() const;
    // The Conversion Format items: the stored code becomes the format's; its item carries
    // the check mark while the stored code is the format's.
    void SelectFormat(OutputFormat format);
    void CheckFormatItem(wxUpdateUIEvent& event, OutputFormat format) const;
    void MovePaneFocus(bool forward);
    void SetUpHelp();
    CLogCommands LogCommands();
    HandheldWindow HandheldWindowParts();
    void ShowPreviewPane(bool show);
    // Selections that arrive while one is read are merged: only the newest is drawn.
    void SchedulePreviewUpdate();
    void UpdatePreviewFromSelection();

    ISettingsStore& m_store;
    std::string m_documentsDir;

    FrameSettings m_settings;
    CSystemClock m_clock;
    CSystemUserName m_userName;
    CActivityLog m_log{m_clock};
    CRapiRemoteApi m_remoteApi;
    CWxMessageBox m_messageBox{this};
    CWxFileDialogs m_ownFileDialogs{this};
    IFileDialogs* m_fileDialogs = &m_ownFileDialogs;
    std::unique_ptr<CDeviceLink> m_deviceLink;
    CStatusBarPane m_statusPane{*this};
    CWxViewerLauncher m_viewer{this};
    CWxNewLogFileDialog m_newLogFileDialog{this};
    CHelpBook m_helpBook{this};
    std::unique_ptr<CHandheldCommands> m_handheld;
    std::unique_ptr<CTreeHost> m_treeHost;

    wxAuiManager m_aui;
    std::unique_ptr<wxImageList> m_smallImages;
    std::unique_ptr<wxImageList> m_largeImages;
    wxSplitterWindow* m_splitter = nullptr;
    CLeftView* m_treeView = nullptr;
    CKiroConvView* m_listView = nullptr;
    wxSplitterWindow* m_previewSplitter = nullptr;
    CSpectrumPreview* m_preview = nullptr;
    PreviewSettings m_previewSettings;
    bool m_previewUpdatePending = false;
    wxAuiToolBar* m_deviceBar = nullptr;
    wxAuiToolBar* m_viewBar = nullptr;
    CTargetBar* m_targetBar = nullptr;
    wxWindow* m_activePane = nullptr;

    std::optional<WindowPlacement> m_storedPlacement;
    bool m_hasStoredRect = false;
    // The window's place and size when neither maximised nor minimised.
    wxRect m_normalRect;
    bool m_geometryChanged = false;
    std::array<bool, 3> m_keyStates{};
    CPaintThrottle m_keyIndicatorCheck{std::chrono::milliseconds(250)};
    bool m_keyStatesKnown = false;
};

}  // namespace kiro
