#include "cli/DeviceSession.h"

#include <cstdio>
#include <cstring>

#include "cli/TerminalText.h"
#include "devicelink/MemoryControls.h"

#include "devicelink/ConnectionTexts.h"
#include "devicelink/PathJoining.h"
#include "platform/Utf16.h"
#include "platform/rapi/Rapi.h"

namespace kiro::cli {

MessageAnswer CStderrMessageBox::Show(const MessageBoxRequest& request) {
    if (m_holding) {
        m_held.push_back(request.text);
    } else {
        PrintLine(stderr, "kiroconv-cli: %s\n", request.text);
    }
    return request.defaultAnswer;
}

rapi::BOOL CNotingRemoteApi::CeFindAllFiles(rapi::LPCWSTR path, rapi::DWORD flags,
                                            rapi::DWORD* count, rapi::CE_FIND_DATA** entries) {
    const rapi::BOOL found = CRapiRemoteApi::CeFindAllFiles(path, flags, count, entries);
    const rapi::DWORD skipped = SkippedFindEntries();
    if (found && skipped > 0) {
        std::u16string folder = path;
        if (folder.ends_with(u"*")) {
            folder.pop_back();
        }
        if (folder.size() > 1 && folder.ends_with(u"\\")) {
            folder.pop_back();
        }
        PrintLine(
            stderr,
            "kiroconv-cli: skipped %u %s in %s: longer than the Kiro-SCAN's %zu-character limit\n",
            skipped, skipped == 1 ? "entry whose name is" : "entries whose names are",
            Utf16ToUtf8Lossy(folder), rapi::kCeMaxPath);
    }
    return found;
}

void CStderrMessageBox::ShowHeld() {
    m_holding = false;
    for (const std::string& text : m_held) {
        PrintLine(stderr, "kiroconv-cli: %s\n", text);
    }
    m_held.clear();
}

void CStderrMessageBox::DropHeld() {
    m_holding = false;
    m_held.clear();
}

CDeviceSession::CDeviceSession() : m_link(std::make_unique<CDeviceLink>(m_api, m_messageBox)) {}

CDeviceSession::~CDeviceSession() {
    m_link.reset();
}

bool CDeviceSession::Connect() {
    const ConnectOutcome outcome = m_link->ConnectToHandheld();
    if (outcome == ConnectOutcome::Connected) {
        return true;
    }
    const rapi::LinkFault fault = rapi::LastConnectionFault();
    // A handheld that was found but kept silent is not "not connected".
    const std::string headline = fault == rapi::LinkFault::NoAnswerInTime
                                     ? kNoAnswerInTimeText
                                     : ConnectFailureMessage(outcome).text;
    PrintLine(stderr, "kiroconv-cli: cannot reach the handheld: %s\n", headline);
    const std::string problem = rapi::LastConnectionProblem();
    if (!problem.empty()) {
        PrintLine(stderr, "kiroconv-cli: (%s%s)\n", problem,
                  fault == rapi::LinkFault::NothingAnswers ? "; is kiroscan-sim running?" : "");
    }
    return false;
}

bool ReportLostConnection(const CDeviceLink& link) {
    if (!link.ConnectionLost()) {
        return false;
    }
    PrintLine(stderr, "kiroconv-cli: %s\n", ConnectionLostText(link.LossCause()));
    return true;
}

void ReportMissingFolder(const std::u16string& folder) {
    PrintLine(stderr, "kiroconv-cli: no such folder on the Kiro-SCAN: %s\n",
              Utf16ToUtf8Lossy(folder));
}

bool FolderIsOnHandheld(CDeviceLink& link, const std::u16string& folder) {
    CMemoryFileList scratch;
    return link.ListFolder(folder, scratch).Listed() || link.ConnectionLost();
}

std::u16string DeviceFolderFromArgument(const std::string& argument) {
    std::string path = argument;
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    if (path.empty() || path.front() != '\\') {
        path.insert(path.begin(), '\\');
    }
    while (path.size() > 1 && path.back() == '\\') {
        path.pop_back();
    }
    return Utf8ToUtf16(path).value_or(u"");
}

std::string DeviceFolderForDisplay(const std::u16string& folder, const std::u16string& name) {
    return Utf16ToUtf8Lossy(JoinDevicePath(folder, name));
}

}  // namespace kiro::cli
