#pragma once

#include <wx/dialog.h>
#include <wx/timer.h>

#include <functional>
#include <memory>
#include <optional>

#include "devicelink/ProgressRange.h"
#include "platform/PaintThrottle.h"
#include "transfer/TransferJob.h"

class wxButton;
class wxGauge;
class wxStaticText;

namespace kiro {

// What the main frame lends a transfer job besides the dialog's own controls.
struct TransferDialogContext {
    TransferJobContext job;
    ConnectState connectState;
    TransferSettings settings;
};

// "File Transfer Progress": runs one transfer job half a second after it is shown,
// on the user-interface thread, with a bar for the current file and one for the whole
// job, and Cancel, which the job sees between files. Closing the dialog any other way
// cancels too. A job that ends with failures keeps the dialog open with its summary
// and a Close button; otherwise the dialog closes by itself.
class CTransferDlg final : public wxDialog {
public:
    enum ControlId : int {
        kIdFileProgress = 1006,
        kIdTotalProgress = 1007,
        kIdStatus = 1008,
        kIdCancel = 1013,
    };
    static constexpr int kStartTimerId = 12345;

    CTransferDlg(wxWindow* parent, TransferDialogContext context);
    ~CTransferDlg() override;

    // What the job reported; nothing before it ran.
    const std::optional<TransferOutcome>& Outcome() const { return m_outcome; }
    const std::string& StatusText() const { return m_strStatus; }
    bool IsJobRunning() const { return m_job != nullptr; }

    void OnInitDialog(wxInitDialogEvent& event);
    void OnTimer(wxTimerEvent& event);
    void OnCancelButton(wxCommandEvent& event);
    void OnClose(wxCloseEvent& event);

    // Dispatches the events waiting in the queue, so that Cancel is seen: after the
    // first file and then at most every 100 ms; never re-entered.
    void PumpMessages();

private:
    class CStatusText;
    class CGaugeBar;

    void CreateControls();
    void RunTransferJob();
    void Finish();
    void CloseWhenModal();
    // Ends the dialog once its job has ended; before that, asks the job to stop after
    // the file in hand. True when the dialog ends.
    bool EndOrCancelJob();
    void SetStatus(const std::string& text);
    void PaintIfDue();
    void ShowStatus();

    TransferDialogContext m_context;
    wxTimer m_timer;
    int m_bCancel = 0;
    std::string m_strStatus;
    bool m_statusShown = false;
    wxStaticText* m_status = nullptr;
    wxGauge* m_ctlFileProgress = nullptr;
    wxGauge* m_ctlTotalProgress = nullptr;
    wxButton* m_cancel = nullptr;
    std::unique_ptr<CStatusText> m_statusPane;
    std::unique_ptr<CGaugeBar> m_fileBar;
    std::unique_ptr<CGaugeBar> m_totalBar;
    CTransferJob* m_job = nullptr;
    std::optional<TransferOutcome> m_outcome;
    bool m_pumping = false;
    // One budget for the status text and both bars: they are painted together.
    CPaintThrottle m_paint{std::chrono::milliseconds(100)};
    CPaintThrottle m_pumpDue{std::chrono::milliseconds(100)};
};

}  // namespace kiro
