// The main window's command and update handlers.
#include <wx/statusbr.h>
#include <wx/utils.h>

#include "commands/CommandIds.h"
#include "conversion/ConvertLocalFiles.h"
#include "transfer/TransferActions.h"
#include "ui/KiroConvView.h"
#include "ui/LeftView.h"
#include "ui/MainFrame.h"
#include "ui/WaitCursor.h"
#include "ui/devicelink/CreateDirDlg.h"
#include "ui/transfer/TransferDlg.h"

namespace kiro {

namespace {

// The format of a Conversion Format item, from the item's window id.
std::optional<OutputFormat> FormatOfItem(int wxId) {
    for (const OutputFormatRow& row : OutputFormats()) {
        if (WxCommandId(row.commandId) == wxId) {
            return row.format;
        }
    }
    return std::nullopt;
}

// The list style a View command stands for, from the command's window id.
int StyleTypeOf(int wxId) {
    if (wxId == WxCommandId(kIdListDetails)) {
        return kListDetails;
    }
    if (wxId == WxCommandId(kIdListSmallIcons)) {
        return kListSmallIcons;
    }
    return wxId == WxCommandId(kIdListList) ? kListList : kListLargeIcons;
}

}  // namespace

void CMainFrame::OnConnect(wxCommandEvent& /*event*/) {
    m_handheld->OnConnect();
}

void CMainFrame::OnRefresh(wxCommandEvent& /*event*/) {
    m_handheld->OnRefresh();
}

void CMainFrame::OnDeleteFiles(wxCommandEvent& /*event*/) {
    m_handheld->OnDeleteFiles();
}

void CMainFrame::OnCreateDirectory(wxCommandEvent& /*event*/) {
    m_handheld->OnCreateDirectory(
        [this](const std::string& root) { return AskNewDirectoryName(this, root); });
}

void CMainFrame::OnGo(wxCommandEvent& /*event*/) {
    if (!CheckGo(m_listView->FileList(), m_messageBox)) {
        return;
    }
    const TransferSettings settings =
        TransferSettingsFrom(m_settings.targetDirectory, m_settings.defaultAction,
                             m_settings.outputFormat, m_settings.overwritePrompt);
    {
        CTransferDlg dialog(this, {{*m_deviceLink, m_treeView->DeviceTree(), m_listView->FileList(),
                                    m_log, m_clock, m_userName, m_statusPane},
                                   GetConnectState(),
                                   settings});
        dialog.ShowModal();
    }
    LogCommands().ReportLogFailureOnce();
    HandleLostConnection();
}

void CMainFrame::OnConvertLocalFiles(wxCommandEvent& /*event*/) {
    CConvertLocalFiles(GetFileDialogs(), m_statusPane, m_messageBox, m_log, m_clock, m_userName,
                       WaitCursorHook(this))
        .OnConvertLocalFiles(OutputFormatFromCode(m_settings.outputFormat),
                             OutputOverwriteFromSetting(m_settings.overwritePrompt));
    LogCommands().ReportLogFailureOnce();
}

void CMainFrame::OnLogEnabled(wxCommandEvent& /*event*/) {
    LogCommands().OnLogEnabled();
}
void CMainFrame::OnViewCurrentLog(wxCommandEvent& /*event*/) {
    LogCommands().OnViewCurrentLog();
}
void CMainFrame::OnSetLogFilename(wxCommandEvent& /*event*/) {
    LogCommands().OnSetLogFilename();
}
void CMainFrame::OnViewStoredLog(wxCommandEvent& /*event*/) {
    LogCommands().OnViewStoredLog();
}
void CMainFrame::OnClearLog(wxCommandEvent& /*event*/) {
    LogCommands().OnClearLog();
}

void CMainFrame::OnHelpTopics(wxCommandEvent& /*event*/) {
    m_helpBook.DisplayContents();
}
void CMainFrame::OnHelp(wxCommandEvent& /*event*/) {
    m_helpBook.DisplayFor(FindFocus());
}
void CMainFrame::OnContextHelp(wxCommandEvent& /*event*/) {
    CHelpBook::RunContextHelpMode(this);
}

void CMainFrame::OnListStyle(wxCommandEvent& event) {
    if (CKiroConvView* list = GetListView()) {
        list->SetStyleType(StyleTypeOf(event.GetId()));
    }
}

void CMainFrame::OnFormatTab(wxCommandEvent& /*event*/) {
    SelectFormat(OutputFormat::Tab);
}
void CMainFrame::OnFormatComma(wxCommandEvent& /*event*/) {
    SelectFormat(OutputFormat::Comma);
}
void CMainFrame::OnFormatKiroBench(wxCommandEvent& /*event*/) {
    SelectFormat(OutputFormat::KiroBench);
}
void CMainFrame::OnFormatSpc(wxCommandEvent& /*event*/) {
    SelectFormat(OutputFormat::Spc);
}
void CMainFrame::OnFormat(wxCommandEvent& event) {
    if (const std::optional<OutputFormat> format = FormatOfItem(event.GetId())) {
        SelectFormat(*format);
    }
}

void CMainFrame::SelectFormat(OutputFormat format) {
    m_settings.outputFormat = static_cast<int>(OutputFormatCode(format));
}

void CMainFrame::OnOverwritePrompt(wxCommandEvent& /*event*/) {
    m_settings.overwritePrompt = m_settings.overwritePrompt == 1 ? 0 : 1;
}

void CMainFrame::OnViewStatusBar(wxCommandEvent& /*event*/) {
    wxStatusBar* bar = GetStatusBar();
    bar->Show(!bar->IsShown());
    SendSizeEvent();
}

void CMainFrame::OnExit(wxCommandEvent& /*event*/) {
    Close();
}

void CMainFrame::OnNextPane(wxCommandEvent& /*event*/) {
    MovePaneFocus(true);
}

void CMainFrame::OnPrevPane(wxCommandEvent& /*event*/) {
    MovePaneFocus(false);
}

void CMainFrame::MovePaneFocus(bool /*forward*/) {
    // With two panes the next and the previous pane are the same one.
    wxWindow* target = m_activePane == m_listView ? static_cast<wxWindow*>(m_treeView)
                                                  : static_cast<wxWindow*>(m_listView);
    target->SetFocus();
    m_activePane = target;
}

void CMainFrame::OnUpdateConnect(wxUpdateUIEvent& event) {
    event.Check(GetConnectState() == ConnectState::Connected);
}

void CMainFrame::OnUpdateDeviceCommand(wxUpdateUIEvent& event) {
    event.Enable(GetConnectState() == ConnectState::Connected);
}

void CMainFrame::OnUpdateGo(wxUpdateUIEvent& event) {
    const CKiroConvView* list = GetListView();
    event.Enable(
        IsGoEnabled(GetConnectState(), list != nullptr ? list->FileList().GetSelectedCount() : 0));
}

void CMainFrame::OnUpdateListStyle(wxUpdateUIEvent& event) {
    const CKiroConvView* list = GetListView();
    event.Enable(list != nullptr);
    if (list != nullptr) {
        event.Check(list->GetStyleType() == StyleTypeOf(event.GetId()));
    }
}

void CMainFrame::OnUpdateFormatTab(wxUpdateUIEvent& event) {
    CheckFormatItem(event, OutputFormat::Tab);
}
void CMainFrame::OnUpdateFormatComma(wxUpdateUIEvent& event) {
    CheckFormatItem(event, OutputFormat::Comma);
}
void CMainFrame::OnUpdateFormatKiroBench(wxUpdateUIEvent& event) {
    CheckFormatItem(event, OutputFormat::KiroBench);
}
void CMainFrame::OnUpdateFormatSpc(wxUpdateUIEvent& event) {
    CheckFormatItem(event, OutputFormat::Spc);
}
void CMainFrame::OnUpdateFormat(wxUpdateUIEvent& event) {
    if (const std::optional<OutputFormat> format = FormatOfItem(event.GetId())) {
        CheckFormatItem(event, *format);
    }
}

void CMainFrame::CheckFormatItem(wxUpdateUIEvent& event, OutputFormat format) const {
    event.Check(m_settings.outputFormat == static_cast<int>(OutputFormatCode(format)));
}

void CMainFrame::OnUpdateOverwritePrompt(wxUpdateUIEvent& event) {
    event.Check(m_settings.overwritePrompt != 0);
}

void CMainFrame::OnUpdateLogEnabled(wxUpdateUIEvent& event) {
    // Checked only while entries really go into a file.
    event.Check(m_log.IsEnabled() && m_log.IsOpen());
}

void CMainFrame::OnUpdateViewStatusBar(wxUpdateUIEvent& event) {
    const wxStatusBar* bar = GetStatusBar();
    event.Check(bar != nullptr && bar->IsShown());
}

void CMainFrame::UpdateKeyIndicators() {
    wxStatusBar* bar = GetStatusBar();
    // Each key state is a round trip to the display; idle events come once per file
    // during a transfer.
    if (bar == nullptr || !m_keyIndicatorCheck.Due()) {
        return;
    }
    static constexpr std::array<std::pair<wxKeyCode, const char*>, 3> kIndicators{{
        {WXK_CAPITAL, "CAP"},
        {WXK_NUMLOCK, "NUM"},
        {WXK_SCROLL, "SCRL"},
    }};
    for (std::size_t index = 0; index < kIndicators.size(); ++index) {
        const bool on = wxGetKeyState(kIndicators[index].first);
        if (m_keyStatesKnown && on == m_keyStates[index]) {
            continue;
        }
        m_keyStates[index] = on;
        bar->SetStatusText(on ? kIndicators[index].second : "", static_cast<int>(index) + 1);
    }
    m_keyStatesKnown = true;
}

}  // namespace kiro
