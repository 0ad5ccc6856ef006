#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "conversion/ConvertFile.h"
#include "log/ActivityLog.h"
#include "platform/BusyScope.h"
#include "seams/Clock.h"
#include "seams/FileDialogs.h"
#include "seams/MessageBox.h"
#include "seams/TextPane.h"
#include "seams/UserName.h"

namespace kiro {

// What became of one file of the batch.
struct LocalConversion {
    std::string sourcePath;
    ConversionOutcome outcome;
};

// The Convert Local Files command: converts spectrum files the user picks on the PC, one
// after the other under the wait cursor, then lists in one box every file that was not
// converted and why.
class CConvertLocalFiles {
public:
    // Called with true once the files are chosen and with false when the batch is done,
    // so that the window can show the wait cursor and repaint first.
    using BusyHook = kiro::BusyHook;

    CConvertLocalFiles(IFileDialogs& fileDialogs, ITextPane& statusPane, IMessageBox& messageBox,
                       CActivityLog& log, const IClock& clock, const IUserName& user,
                       BusyHook busy = {});

    // Runs the command with the frame's current settings; returns what became of each
    // chosen file, in the order the dialog gave them.
    std::vector<LocalConversion> OnConvertLocalFiles(std::optional<OutputFormat> format,
                                                     OutputOverwrite overwrite);

private:
    std::vector<LocalConversion> ConvertAll(const std::vector<std::string>& files,
                                            std::optional<OutputFormat> format,
                                            OutputOverwrite overwrite);
    void ReportFailures(const std::vector<LocalConversion>& conversions);

    IFileDialogs& m_fileDialogs;
    ITextPane& m_statusPane;
    IMessageBox& m_messageBox;
    CActivityLog& m_log;
    const IClock& m_clock;
    const IUserName& m_user;
    BusyHook m_busy;
};

// The text of the box after a batch: each file that was not converted, with the reason
// (the user's own "No" to replacing an output is not a failure); empty when there is none.
std::string FormatLocalConversionFailures(const std::vector<LocalConversion>& conversions);

}  // namespace kiro
