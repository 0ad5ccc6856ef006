#pragma once

#include <optional>
#include <string>

#include "log/ActivityLog.h"
#include "seams/FileDialogs.h"
#include "seams/MessageBox.h"
#include "seams/NewLogFileDialog.h"
#include "seams/ViewerLauncher.h"

namespace kiro {

// The Save dialog behind the new-log-file dialog's "..." button: the chosen path, with
// ".log" added when the name has no extension, or nothing when the user cancelled.
std::optional<std::string> BrowseForNewLogFile(IFileDialogs& fileDialogs);

// Tells the user once that a log line could not be written, with the system's reason,
// and closes the log so that nothing more is lost in silence; a later Set Log
// Filename, Clear or switching logging on opens a log again.
void ReportLogFailureOnce(CActivityLog& log, IMessageBox& messageBox);

// The commands of the Log menu over the activity log. The log holds LogEvents and
// LogFileName; these commands change them as the user asks.
class CLogCommands {
public:
    CLogCommands(CActivityLog& log, IMessageBox& messageBox, IFileDialogs& fileDialogs,
                 IViewerLauncher& viewer, INewLogFileDialog& newLogFileDialog);

    // At start-up, once the settings are in the log: opens it when logging is on, and
    // says so when the file cannot be opened.
    void OpenLogAtStartup();

    void OnLogEnabled();
    void OnViewCurrentLog();
    void OnSetLogFilename();
    void OnViewStoredLog();
    void OnClearLog();

    // After each transfer job or batch of conversions.
    void ReportLogFailureOnce() { kiro::ReportLogFailureOnce(m_log, m_messageBox); }

private:
    void StartNewLogFile();
    void ReportOpenFailure();
    void ShowInViewer(const std::string& path);
    void ShowMessage(const std::string& text);

    CActivityLog& m_log;
    IMessageBox& m_messageBox;
    IFileDialogs& m_fileDialogs;
    IViewerLauncher& m_viewer;
    INewLogFileDialog& m_newLogFileDialog;
};

}  // namespace kiro
