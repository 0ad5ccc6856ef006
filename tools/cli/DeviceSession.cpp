#include "cli/DeviceSession.h"

#include <cstdio>

#include "devicelink/DeviceText.h"
#include "platform/Utf16.h"
#include "platform/rapi/Rapi.h"

namespace kiro::cli {

MessageAnswer CStderrMessageBox::Show(const MessageBoxRequest& request) {
    std::fprintf(stderr, "kiroconv-cli: %s\n", request.text.c_str());
    return request.defaultAnswer;
}

CDeviceSession::CDeviceSession() : m_link(std::make_unique<CDeviceLink>(m_api, m_messageBox)) {}

CDeviceSession::~CDeviceSession() {
    m_link.reset();
}

bool CDeviceSession::Connect() {
    const int result = m_link->Connect();
    if (result == kConnectOk) {
        return true;
    }
    const char* text = "General RAPI Connection Error";
    if (result == kConnectTimeout) {
        text =
            "Timeout looking for Kiro-SCAN.  Make sure the Kiro-SCAN is connected to your serial "
            "port and that Windows CE Services have been properly installed.";
    } else if (result == kConnectAlreadyInitialised) {
        text = "RAPI Connection Error -- Already Initialized.";
    }
    std::fprintf(stderr, "kiroconv-cli: cannot reach the handheld: %s\n", text);
    const std::string problem = rapi::LastConnectionProblem();
    if (!problem.empty()) {
        std::fprintf(stderr, "kiroconv-cli: (%s%s)\n", problem.c_str(),
                     result == kConnectTimeout ? "; is kiroscan-sim running?" : "");
    }
    return false;
}

const char* DescribeTransferResult(std::int64_t result) {
    switch (result) {
        case kTransferDeviceFileCannotBeOpened:
            return "the handheld file cannot be opened";
        case kTransferPcFileCannotBeCreated:
            return "the PC file cannot be created (does the target folder exist?)";
        case kTransferDevicePathMissing:
            return "the handheld path is empty or too long";
        case kTransferPcPathMissing:
            return "the PC path is empty or too long";
        case kTransferFailedPartWay:
            return "the copy failed part-way; nothing was kept";
        case kTransferUnsafeFileName:
            return "the name would not stay inside the target folder";
        case kTransferNoChunkBuffer:
            return "out of memory";
        default:
            return "not connected";
    }
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
