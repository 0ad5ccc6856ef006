#include "ui/MainFrame.h"

#include <wx/display.h>
#include <wx/splitter.h>
#include <wx/statusbr.h>

#include "seams/WindowTexts.h"
#include "ui/KiroConvView.h"
#include "ui/LeftView.h"
#include "ui/PreviewPane.h"
#include "ui/ResourceFiles.h"
#include "ui/WaitCursor.h"
#include "ui/WxText.h"
#include "ui/transfer/TargetBar.h"

namespace kiro {

namespace {

// The size a first start opens at, before any placement was stored: wide enough for
// the three bars of the top row.
const wxSize kFirstStartSize(960, 600);

PlacementRect ToPlacementRect(const wxRect& rect) {
    return {rect.GetLeft(), rect.GetTop(), rect.GetRight() + 1, rect.GetBottom() + 1};
}

wxRect ToWxRect(const PlacementRect& rect) {
    return wxRect(rect.left, rect.top, static_cast<int>(rect.Width()),
                  static_cast<int>(rect.Height()));
}

std::vector<PlacementRect> ScreenWorkAreas() {
    std::vector<PlacementRect> screens;
    for (unsigned index = 0; index < wxDisplay::GetCount(); ++index) {
        screens.push_back(ToPlacementRect(wxDisplay(index).GetClientArea()));
    }
    return screens;
}

}  // namespace

// The frame's side of the close sequence.
class CMainFrame::CCloseSteps final : public IFrameCloseSteps {
public:
    explicit CCloseSteps(CMainFrame& frame) : m_frame(frame) {}

    FrameSettings PullSettings() override {
        FrameSettings settings = m_frame.m_settings;
        settings.logEvents = m_frame.m_log.LogEvents();
        settings.logFileName = m_frame.m_log.LogFileName();
        if (m_frame.m_targetBar != nullptr) {
            m_frame.m_targetBar->TransferDataFromWindow();
            settings.targetDirectory = m_frame.m_targetBar->GetTarget();
        }
        return settings;
    }
    void CloseLog() override { m_frame.m_log.CloseLog(); }
    SplitterSettings CurrentSplitter() override {
        return {m_frame.m_splitter->GetSashPosition(), m_frame.m_splitter->GetMinimumPaneSize()};
    }
    std::optional<WindowPlacement> CurrentPlacement() override {
        if (m_frame.m_geometryChanged) {
            m_frame.RememberNormalRect();
        }
        return m_frame.CurrentPlacement();
    }
    void DisconnectIfConnected() override {
        if (m_frame.GetConnectState() == ConnectState::Connected) {
            m_frame.m_deviceLink->Disconnect();
        }
    }

private:
    CMainFrame& m_frame;
};

// What the device tree asks of the frame when its selection changes.
class CMainFrame::CTreeHost final : public ILeftViewHost {
public:
    explicit CTreeHost(CMainFrame& frame) : m_frame(frame) {}

    ConnectState GetConnectState() const override { return m_frame.GetConnectState(); }
    CDeviceLink& GetDeviceLink() override { return m_frame.GetDeviceLink(); }
    IFileList* GetFileList() override {
        return m_frame.m_listView != nullptr ? &m_frame.m_listView->FileList() : nullptr;
    }
    ITextPane& GetStatusPane() override { return m_frame.GetStatusPane(); }
    void SetWindowTitle(const std::string& title) override { m_frame.SetTitle(ToWx(title)); }
    void HandleLostConnection() override { m_frame.HandleLostConnection(); }

private:
    CMainFrame& m_frame;
};

CMainFrame::CMainFrame(ISettingsStore& store, const std::string& documentsDir)
    : m_store(store), m_documentsDir(documentsDir), m_treeHost(std::make_unique<CTreeHost>(*this)) {
    m_deviceLink = std::make_unique<CDeviceLink>(m_remoteApi, m_messageBox);
    Create(nullptr, wxID_ANY, kApplicationTitle, wxDefaultPosition, kFirstStartSize);
    SetIcons(ProgramIcons());
    m_aui.SetManagedWindow(this);
    OnCreateClient();
    RestoreWindowPlacement();
    CreateStatusBarPanes();
    CreateMenuBar();
    CreateToolBars();
    CreateTargetBar();
    DockBars();
    CreateAccelerators();
    m_handheld = std::make_unique<CHandheldCommands>(HandheldWindowParts());
    LoadFrameSettingsAndOpenLog();
    BindCommands();
    SetUpHelp();
    m_treeView->OnInitialUpdate(*m_smallImages);
    m_listView->OnInitialUpdate(m_store, *m_smallImages, *m_largeImages);
}

CMainFrame::~CMainFrame() {
    m_aui.UnInit();
    // The panes save their settings as they go, and must not outlive the pictures and
    // the device link, which this frame owns.
    m_splitter->Destroy();
}

bool CMainFrame::OnCreateClient() {
    // Made at the frame's size: a splitter narrower than its sash position moves the sash
    // for good.
    m_splitter = new wxSplitterWindow(this, wxID_ANY, wxDefaultPosition, GetClientSize(),
                                      wxSP_3D | wxSP_LIVE_UPDATE);
    m_treeView = new CLeftView(m_splitter, *m_treeHost);
    // The file list shares the right column with the spectrum preview, hidden until asked for.
    m_previewSplitter = new wxSplitterWindow(m_splitter, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                             wxSP_3D | wxSP_LIVE_UPDATE);
    m_previewSplitter->SetMinimumPaneSize(40);
    m_previewSplitter->SetSashGravity(0.5);
    m_listView = new CKiroConvView(m_previewSplitter);
    m_preview = new CSpectrumPreview(m_previewSplitter, *m_fileDialogs);
    m_preview->Hide();
    m_previewSplitter->Initialize(m_listView);
    const SplitterSettings splitter = LoadSplitterSettings(m_store, DefaultWidthScale(m_treeView));
    m_splitter->SetMinimumPaneSize(splitter.minimum);
    m_splitter->SplitVertically(m_treeView, m_previewSplitter, splitter.position);
    m_splitter->SetSashGravity(0.0);
    m_smallImages = CreateListImages(16);
    m_largeImages = CreateListImages(32);
    m_activePane = m_treeView;
    m_aui.AddPane(m_splitter, wxAuiPaneInfo().Name("Panes").CenterPane().PaneBorder(false));
    return true;
}

void CMainFrame::RestoreWindowPlacement() {
    m_storedPlacement = LoadWindowPlacement(m_store);
    m_hasStoredRect = m_storedPlacement && m_storedPlacement->normal.HasArea();
    if (m_hasStoredRect) {
        m_normalRect = ToWxRect(BringIntoView(m_storedPlacement->normal, ScreenWorkAreas()));
        SetSize(m_normalRect);
    } else {
        m_normalRect = GetRect();
    }
}

void CMainFrame::ShowAtStartup() {
    // A size set before the first show spares the toolkit laying the window out at a
    // placeholder width while it waits for the window manager's frame extents, which
    // the menu bar cannot fit and warns about.
    SetClientSize(GetClientSize());
    if (m_storedPlacement && StartupShowState(*m_storedPlacement) == WindowShowState::Maximized) {
        // Mapped maximised at once, so that the window manager keeps the stored normal
        // rectangle for the restore; maximising a mapped window races with its placement.
        Maximize();
        Show();
        return;
    }
    Show();
    // Some window managers only take a position once the window is mapped.
    if (m_hasStoredRect) {
        SetSize(m_normalRect);
    }
}

void CMainFrame::LoadFrameSettingsAndOpenLog() {
    m_settings = LoadFrameSettings(m_store, m_documentsDir);
    m_log.SetLogEvents(m_settings.logEvents);
    m_log.SetLogFileName(m_settings.logFileName);
    LogCommands().OpenLogAtStartup();
    m_targetBar->SetTarget(m_settings.targetDirectory, m_settings.defaultAction);
    m_targetBar->TransferDataToWindow();
    m_previewSettings = LoadPreviewSettings(m_store);
    ShowPreviewPane(m_previewSettings.show);
}

void CMainFrame::OnClose(wxCloseEvent& /*event*/) {
    // A pane shown only for this run's files leaves the stored settings alone.
    if (m_previewSettings.show && m_previewSplitter->IsSplit()) {
        m_previewSettings.sashPosition = m_previewSplitter->GetSashPosition();
    }
    SavePreviewSettings(m_store, m_previewSettings);
    CCloseSteps steps(*this);
    SaveSettingsAtClose(m_store, steps);
    Destroy();
}

void CMainFrame::OnMoveOrSize(wxEvent& event) {
    event.Skip();
    // Taken when the events of the moment are handled: while the window is being
    // maximised or minimised, its new place and size can come before its new state.
    m_geometryChanged = true;
}

void CMainFrame::RememberNormalRect() {
    if (IsShown() && !IsMaximized() && !IsIconized() && !IsFullScreen()) {
        m_normalRect = GetRect();
    }
}

void CMainFrame::OnIdle(wxIdleEvent& event) {
    event.Skip();
    if (m_geometryChanged) {
        m_geometryChanged = false;
        RememberNormalRect();
    }
    UpdateKeyIndicators();
}

std::optional<WindowPlacement> CMainFrame::CurrentPlacement() const {
    WindowPlacement placement;
    placement.showCmd = IsIconized()    ? kShowCmdMinimized
                        : IsMaximized() ? kShowCmdMaximized
                                        : kShowCmdNormal;
    placement.normal = ToPlacementRect(m_normalRect);
    return placement;
}

void CMainFrame::ShowIdleText() {
    m_statusPane.SetText(kIdleStatusText);
}

CLogCommands CMainFrame::LogCommands() {
    return {m_log, m_messageBox, GetFileDialogs(), m_viewer, m_newLogFileDialog};
}

HandheldWindow CMainFrame::HandheldWindowParts() {
    return {*m_deviceLink, m_treeView->DeviceTree(), m_listView->FileList(), m_messageBox,
            m_statusPane, [this](const std::string& title) { SetTitle(ToWx(title)); },
            // Connecting can block for seconds: the window is drawn before the wait starts.
            WaitCursorHook(this)};
}

void CMainFrame::HandleLostConnection() {
    m_handheld->HandleLostConnection();
}

}  // namespace kiro
