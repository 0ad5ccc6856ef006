#pragma once

#include <string>

#include "transfer/TransferActions.h"

namespace kiro {

// The names a transfer job fills its texts with, for one file. Paths are already
// joined: the device path as "\Folder\name", the local path in the PC's own form.
struct TransferFileTexts {
    std::string user;
    std::string timeStamp;
    std::string devicePath;  // device folder and file name
    std::string localPath;   // target directory and file name
    std::string sizeText;    // "1234 bytes", as the file list shows it
    std::string kindText;
    std::string dateText;  // the handheld's date of the file, as the file list shows it
};

// The status text shown while a file is copied for an action.
std::string CopyStatusText(TransferAction action, const TransferFileTexts& file);
std::string DeletingRemoteStatusText(const TransferFileTexts& file);

// The activity log lines a job writes, each ending with "\n".
std::string CopiedLine(const TransferFileTexts& file, bool succeeded);
// A copy not kept because the PC already holds a different file of that name.
std::string SkippedLine(const TransferFileTexts& file);
// A different PC file that a copy replaced, put in the trash; `replacedPath` is its path.
std::string TrashedLine(const TransferFileTexts& file, const std::string& replacedPath);
std::string NoConversionLine(const TransferFileTexts& file);
std::string RemoteDeleteLine(const TransferFileTexts& file, bool succeeded);
// A handheld file a move did not delete, and why, after its "**FAILURE**" delete line.
std::string KeptRemoteLine(const TransferFileTexts& file, const std::string& reason);
std::string LocalDeleteLine(const TransferFileTexts& file, bool succeeded);
std::string CancelledLine(const std::string& user);

}  // namespace kiro
