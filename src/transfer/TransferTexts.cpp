#include "transfer/TransferTexts.h"

namespace kiro {
namespace {

std::string FailurePrefix(bool succeeded) {
    return succeeded ? "" : "**FAILURE** ";
}

}  // namespace

std::string CopyStatusText(TransferAction action, const TransferFileTexts& file) {
    return std::string(RowOf(action).copyVerb) + file.devicePath + " to " + file.localPath + "\n" +
           file.sizeText;
}

std::string DeletingRemoteStatusText(const TransferFileTexts& file) {
    return "Deleting remote file " + file.devicePath;
}

std::string CopiedLine(const TransferFileTexts& file, bool succeeded) {
    return FailurePrefix(succeeded) + "User " + file.user + " copied file " + file.devicePath +
           " (" + file.sizeText + ") to " + file.localPath + " on " + file.timeStamp + "\n";
}

std::string SkippedLine(const TransferFileTexts& file) {
    return "User " + file.user + " skipped file " + file.devicePath + " (" + file.sizeText +
           "): " + file.localPath + " already holds a different file on " + file.timeStamp + "\n";
}

std::string TrashedLine(const TransferFileTexts& file, const std::string& replacedPath) {
    return "User " + file.user + " put the replaced file " + replacedPath + " in the trash on " +
           file.timeStamp + "\n";
}

std::string NoConversionLine(const TransferFileTexts& file) {
    return "No conversion necessary for file " + file.devicePath + " (filetype " + file.kindText +
           ")\n";
}

std::string RemoteDeleteLine(const TransferFileTexts& file, bool succeeded) {
    return FailurePrefix(succeeded) + "User " + file.user + " deleted remote file " +
           file.devicePath + " on " + file.timeStamp + "\n";
}

std::string KeptRemoteLine(const TransferFileTexts& file, const std::string& reason) {
    return "Remote file " + file.devicePath + " was kept: " + reason + "\n";
}

std::string LocalDeleteLine(const TransferFileTexts& file, bool succeeded) {
    return FailurePrefix(succeeded) + "User " + file.user + " deleted local file " +
           file.localPath + " on " + file.timeStamp + "\n";
}

std::string CancelledLine(const std::string& user) {
    return "User " + user + " cancelled file transfer and conversion\n";
}

}  // namespace kiro
