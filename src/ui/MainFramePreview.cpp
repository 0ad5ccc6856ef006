// The main window's spectrum preview: the pane below the file list, what it shows for
// the list's selection and for spectrum files of the PC.
#include <wx/splitter.h>

#include "plot/HandheldPlotSources.h"
#include "ui/KiroConvView.h"
#include "ui/LeftView.h"
#include "ui/MainFrame.h"
#include "ui/PreviewPane.h"
#include "ui/WaitCursor.h"

namespace kiro {

namespace {

// The handheld's files and every format `convert` writes; the text formats by the
// suffixes that give their unit.
constexpr const char* kSpectrumFileFilter =
    "Spectrum files|*.*_ks;*.scope;*.dark;*.reference;*.absorbance;*.transmission;*.spc;*.jdx|"
    "Kiro-SCAN spectrum files (*.*_ks)|*.*_ks|"
    "Converted spectra (text, KiroBench, SPC, JCAMP-DX)|"
    "*.scope;*.dark;*.reference;*.absorbance;*.transmission;*.spc;*.jdx|"
    "All files (*)|*";

}  // namespace

void CMainFrame::SetFileDialogs(IFileDialogs& dialogs) {
    m_fileDialogs = &dialogs;
    m_preview->SetFileDialogs(dialogs);
}

bool CMainFrame::IsPreviewShown() const {
    return m_previewSplitter->IsSplit();
}

void CMainFrame::ShowPreviewPane(bool show) {
    if (show == IsPreviewShown()) {
        return;
    }
    if (show) {
        m_preview->Show();
        m_previewSplitter->SplitHorizontally(m_listView, m_preview, m_previewSettings.sashPosition);
    } else {
        m_previewSettings.sashPosition = m_previewSplitter->GetSashPosition();
        m_previewSplitter->Unsplit(m_preview);
    }
}

void CMainFrame::OnSpectrumPreview(wxCommandEvent& /*event*/) {
    m_previewSettings.show = !IsPreviewShown();
    ShowPreviewPane(m_previewSettings.show);
    if (m_previewSettings.show && m_listView->FileList().GetSelectedCount() > 0) {
        UpdatePreviewFromSelection();
    }
}

void CMainFrame::OnUpdateSpectrumPreview(wxUpdateUIEvent& event) {
    event.Check(IsPreviewShown());
}

void CMainFrame::OnOpenSpectrumFile(wxCommandEvent& /*event*/) {
    const std::vector<std::string> paths =
        GetFileDialogs().OpenFiles("Open Spectrum File", kSpectrumFileFilter, true);
    if (!paths.empty()) {
        PreviewFiles(paths);
    }
}

void CMainFrame::PreviewFiles(const std::vector<std::string>& paths) {
    ShowPreviewPane(true);
    std::vector<PlotSource> sources;
    for (std::size_t i = 0; i < paths.size() && i < kMaxOverlaidSpectra; ++i) {
        sources.push_back(PlotSourceFromFile(paths[i]));
    }
    m_preview->ShowContent(SpectrumPlotContent(sources, paths.size()));
}

void CMainFrame::SchedulePreviewUpdate() {
    if (!IsPreviewShown() || m_previewUpdatePending) {
        return;
    }
    m_previewUpdatePending = true;
    CallAfter([this] { UpdatePreviewFromSelection(); });
}

void CMainFrame::UpdatePreviewFromSelection() {
    m_previewUpdatePending = false;
    if (!IsPreviewShown() || GetConnectState() != ConnectState::Connected) {
        return;
    }
    const int selected = m_listView->FileList().GetSelectedCount();
    if (selected == 0) {
        m_preview->ShowContent(SpectrumPlotContent({}, 0));
        return;
    }
    const CWaitCursor wait;
    const std::vector<PlotSource> sources =
        ReadSelectedHandheldFiles(*m_deviceLink, m_treeView->DeviceTree(), m_listView->FileList());
    m_preview->ShowContent(SpectrumPlotContent(sources, static_cast<std::size_t>(selected)));
    m_preview->Update();
    if (m_deviceLink->ConnectionLost()) {
        HandleLostConnection();
    }
}

}  // namespace kiro
