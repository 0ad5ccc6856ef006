#include "ui/transfer/TransferDlg.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/gauge.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "ui/WxMessageBox.h"
#include "ui/WxText.h"
#include "ui/transfer/ExistingFileDlg.h"

namespace kiro {

// The dialog's status text as the job's text pane.
class CTransferDlg::CStatusText final : public ITextPane {
public:
    explicit CStatusText(CTransferDlg& dialog) : m_dialog(dialog) {}
    void SetText(const std::string& text) override { m_dialog.SetStatus(text); }

private:
    CTransferDlg& m_dialog;
};

// A progress bar of the dialog as the job drives it.
class CTransferDlg::CGaugeBar final : public CProgressRange {
public:
    CGaugeBar(CTransferDlg& dialog, wxGauge* gauge) : m_dialog(dialog), m_gauge(gauge) {}
    void Repaint() override { m_dialog.PaintIfDue(); }

private:
    void Changed() override {
        m_gauge->SetRange(Span());
        m_gauge->SetValue(std::clamp(Position() - Lower(), 0, Span()));
    }

    CTransferDlg& m_dialog;
    wxGauge* m_gauge;
};

CTransferDlg::CTransferDlg(wxWindow* parent, TransferDialogContext context)
    : m_context(std::move(context)), m_timer(this, kStartTimerId) {
    SetExtraStyle(GetExtraStyle() | wxDIALOG_EX_CONTEXTHELP);
    Create(parent, wxID_ANY, "File Transfer Progress");
    CreateControls();
    m_statusPane = std::make_unique<CStatusText>(*this);
    m_fileBar = std::make_unique<CGaugeBar>(*this, m_ctlFileProgress);
    m_totalBar = std::make_unique<CGaugeBar>(*this, m_ctlTotalProgress);
    Bind(wxEVT_INIT_DIALOG, &CTransferDlg::OnInitDialog, this);
    Bind(wxEVT_TIMER, &CTransferDlg::OnTimer, this, kStartTimerId);
    Bind(wxEVT_BUTTON, &CTransferDlg::OnCancelButton, this, kIdCancel);
    Bind(wxEVT_CLOSE_WINDOW, &CTransferDlg::OnClose, this);
    // Escape presses Cancel.
    SetEscapeId(kIdCancel);
}

CTransferDlg::~CTransferDlg() {
    m_timer.Stop();
}

// The layout keeps the proportions of the dialog's original template, in dialog units.
void CTransferDlg::CreateControls() {
    const auto dlu = [this](int x, int y) { return wxDLG_UNIT(this, wxSize(x, y)); };
    const int gap = dlu(5, 5).y;
    auto* column = new wxBoxSizer(wxVERTICAL);
    m_status = new wxStaticText(this, kIdStatus, wxString(), wxDefaultPosition, dlu(220, 35),
                                wxST_NO_AUTORESIZE);
    column->Add(m_status, wxSizerFlags().Expand());
    const auto addBar = [&](const char* label, int id) {
        column->Add(new wxStaticText(this, wxID_ANY, label),
                    wxSizerFlags().CenterHorizontal().Border(wxTOP, gap));
        auto* gauge = new wxGauge(this, id, 1, wxDefaultPosition, dlu(210, 10));
        column->Add(gauge, wxSizerFlags().Expand().Border(wxLEFT | wxRIGHT | wxTOP, gap));
        return gauge;
    };
    m_ctlFileProgress = addBar("File Progress", kIdFileProgress);
    m_ctlTotalProgress = addBar("Total Progress", kIdTotalProgress);
    m_cancel = new wxButton(this, kIdCancel, "Cancel", wxDefaultPosition, dlu(50, 14));
    column->Add(m_cancel, wxSizerFlags().CenterHorizontal().Border(wxTOP, 2 * gap));
    auto* outer = new wxBoxSizer(wxVERTICAL);
    outer->Add(column, wxSizerFlags(1).Expand().Border(wxALL, gap));
    SetSizerAndFit(outer);
    CentreOnParent();
}

void CTransferDlg::SetStatus(const std::string& text) {
    m_strStatus = text;
    m_statusShown = false;
    PaintIfDue();
}

void CTransferDlg::PaintIfDue() {
    if (m_paint.Due()) {
        ShowStatus();
        Update();
    }
}

// Setting and wrapping the label measures the text: worth it only when it is seen.
void CTransferDlg::ShowStatus() {
    if (m_statusShown) {
        return;
    }
    m_status->SetLabel(ToWx(m_strStatus));
    m_statusShown = true;
}

void CTransferDlg::OnInitDialog(wxInitDialogEvent& event) {
    event.Skip();
    SetStatus("Initializing.......");
    // The job starts once the dialog is on screen.
    m_timer.StartOnce(500);
}

void CTransferDlg::OnTimer(wxTimerEvent& /*event*/) {
    m_timer.Stop();
    RunTransferJob();
}

void CTransferDlg::RunTransferJob() {
    CWxMessageBox messageBox(this);
    TransferJobEnvironment environment{m_context.job,
                                       messageBox,
                                       *m_fileBar,
                                       *m_totalBar,
                                       *m_statusPane,
                                       [this] { PumpMessages(); },
                                       [this](const ExistingFileQuestion& question) {
                                           return AskAboutExistingFile(this, question);
                                       }};
    CTransferJob job(environment, m_context.connectState, m_context.settings);
    if (m_bCancel != 0) {
        job.Cancel();
    }
    m_job = &job;
    m_outcome = job.RunTransferJob();
    m_job = nullptr;
    Finish();
}

void CTransferDlg::Finish() {
    ShowStatus();
    const bool showSummary =
        m_outcome->started && (m_outcome->failures > 0 || m_outcome->connectionLost);
    if (!showSummary) {
        CloseWhenModal();
        return;
    }
    // The user must see what was not handled: the summary stays until Close.
    m_cancel->SetLabel("Close");
    Layout();
}

void CTransferDlg::CloseWhenModal() {
    if (IsModal()) {
        EndModal(wxID_OK);
    }
}

bool CTransferDlg::EndOrCancelJob() {
    if (m_outcome) {
        CloseWhenModal();
        return true;
    }
    m_bCancel = 1;
    if (m_job != nullptr) {
        m_job->Cancel();
    }
    return false;
}

void CTransferDlg::OnCancelButton(wxCommandEvent& /*event*/) {
    EndOrCancelJob();
}

void CTransferDlg::OnClose(wxCloseEvent& event) {
    // Never a hidden job: closing asks the job to stop after the file in hand, and the
    // dialog closes when it has.
    if (!EndOrCancelJob() && event.CanVeto()) {
        event.Veto();
    }
}

void CTransferDlg::PumpMessages() {
    // Each pass through the toolkit's loop costs round trips to the display; small files
    // finish many times faster than a user can press Cancel.
    if (m_pumping || !m_pumpDue.Due()) {
        return;
    }
    m_pumping = true;
    ShowStatus();
    wxTheApp->Yield(true);
    m_pumping = false;
}

}  // namespace kiro
