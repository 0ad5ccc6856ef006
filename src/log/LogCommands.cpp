#include "log/LogCommands.h"

#include <filesystem>
#include <system_error>

#include "platform/SystemError.h"

namespace kiro {
namespace {

constexpr const char* kLogFilters = "Log Files (*.log)|*.log|All Files (*.*)|*.*";
constexpr const char* kStoredLogFilters = "Log Files|*.log|All Files (*.*)|*.*";

// Boxes name the file in full: a bare "LogFile.log" says nothing about where it is.
std::string FullPath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error || path.empty() ? path : absolute.string();
}

void ShowApplicationMessage(IMessageBox& messageBox, const std::string& text) {
    MessageBoxRequest request;
    request.text = text;
    messageBox.Show(request);
}

}  // namespace

std::optional<std::string> BrowseForNewLogFile(IFileDialogs& fileDialogs) {
    std::optional<std::string> chosen = fileDialogs.SaveFile("Create Log File", "", kLogFilters);
    if (chosen && !chosen->empty() && std::filesystem::path(*chosen).extension().empty()) {
        *chosen += ".log";
    }
    return chosen;
}

void ReportLogFailureOnce(CActivityLog& log, IMessageBox& messageBox) {
    if (!log.IsOpen() || log.LastError() == 0) {
        return;
    }
    const int error = log.LastError();
    log.CloseLog();
    ShowApplicationMessage(messageBox, "Could not write to the log file " +
                                           FullPath(log.LogFileName()) + ": " +
                                           DescribeSystemError(error) +
                                           ".\nNothing more is logged until a log file is "
                                           "set again from the Log menu.");
}

CLogCommands::CLogCommands(CActivityLog& log, IMessageBox& messageBox, IFileDialogs& fileDialogs,
                           IViewerLauncher& viewer, INewLogFileDialog& newLogFileDialog)
    : m_log(log),
      m_messageBox(messageBox),
      m_fileDialogs(fileDialogs),
      m_viewer(viewer),
      m_newLogFileDialog(newLogFileDialog) {}

void CLogCommands::OpenLogAtStartup() {
    m_log.OpenLogAtStartup();
    if (m_log.IsEnabled() && !m_log.IsOpen()) {
        ReportOpenFailure();
    }
}

void CLogCommands::OnLogEnabled() {
    // A log that could not be opened or written shows as off in the menu, so the
    // user's click means "on": try the file again rather than switch off.
    if (m_log.IsEnabled() && !m_log.IsOpen()) {
        OpenLogAtStartup();
        return;
    }
    m_log.SetLogging(m_log.IsEnabled() ? Logging::Off : Logging::On);
    // Switched on with no file open, entries would be dropped while the menu shows
    // logging as on: open the log now, as start-up would have.
    if (m_log.IsEnabled() && !m_log.IsOpen()) {
        OpenLogAtStartup();
    }
}

void CLogCommands::OnViewCurrentLog() {
    m_log.FlushLog();
    ShowInViewer(m_log.LogFileName());
}

namespace {

// Another name of the log that is open (another letter case on Windows, a link) must not
// start a fresh log over it: that would wipe the log it names.
bool NamesTheSameFile(const std::string& name, const std::string& current) {
    std::error_code error;
    return name == current || std::filesystem::equivalent(name, current, error);
}

}  // namespace

void CLogCommands::OnSetLogFilename() {
    const std::optional<std::string> newName =
        m_newLogFileDialog.AskNewLogName(m_log.LogFileName(), m_fileDialogs);
    if (!newName || NamesTheSameFile(*newName, m_log.LogFileName())) {
        return;
    }
    m_log.CloseLog();
    m_log.SetLogFileName(*newName);
    StartNewLogFile();
}

void CLogCommands::OnViewStoredLog() {
    const std::vector<std::string> chosen =
        m_fileDialogs.OpenFiles("View Log File", kStoredLogFilters, false);
    if (!chosen.empty()) {
        ShowInViewer(chosen.front());
    }
}

void CLogCommands::OnClearLog() {
    MessageBoxRequest question;
    question.text = "Are you sure you wish to clear the log " + m_log.LogFileName() + "?";
    question.caption = "Clear Log Warning";
    question.buttons = MessageButtons::YesNo;
    question.defaultAnswer = MessageAnswer::Yes;
    question.owner = MessageOwner::MainWindow;
    if (m_messageBox.Show(question) != MessageAnswer::Yes) {
        return;
    }
    m_log.CloseLog();
    StartNewLogFile();
}

void CLogCommands::StartNewLogFile() {
    if (!m_log.StartNewLogFile()) {
        ReportOpenFailure();
    }
}

void CLogCommands::ReportOpenFailure() {
    ShowMessage("Cannot open the log file " + FullPath(m_log.LogFileName()) + ": " +
                DescribeSystemError(m_log.LastError()) +
                ".\nNothing is logged until a log file is set again from the Log menu.");
}

void CLogCommands::ShowInViewer(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        ShowMessage("The log file " + FullPath(path) + " does not exist.");
    } else if (!m_viewer.OpenTextFile(path)) {
        ShowMessage("Could not start a viewer for the log file " + FullPath(path) + ".");
    }
}

void CLogCommands::ShowMessage(const std::string& text) {
    ShowApplicationMessage(m_messageBox, text);
}

}  // namespace kiro
