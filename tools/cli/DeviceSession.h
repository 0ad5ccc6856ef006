#pragma once

#include <memory>
#include <string>
#include <vector>

#include "devicelink/DeviceLink.h"
#include "devicelink/RapiRemoteApi.h"
#include "seams/MessageBox.h"

namespace kiro::cli {

// Message boxes of the engine, shown as lines on standard error; the default answer
// is taken.
class CStderrMessageBox final : public IMessageBox {
public:
    MessageAnswer Show(const MessageBoxRequest& request) override;

    // Keeps later messages back until ShowHeld or DropHeld, so that a command that
    // learns the real cause can tell it instead of the link's general message.
    void Hold() { m_holding = true; }
    void ShowHeld();
    void DropHeld();

private:
    bool m_holding = false;
    std::vector<std::string> m_held;
};

// The remote API, noting on standard error each folder whose listing had to leave out
// names too long for the handheld.
class CNotingRemoteApi final : public CRapiRemoteApi {
public:
    rapi::BOOL CeFindAllFiles(rapi::LPCWSTR path, rapi::DWORD flags, rapi::DWORD* count,
                              rapi::CE_FIND_DATA** entries) override;
};

// A connection to the handheld for the length of one command.
class CDeviceSession {
public:
    CDeviceSession();
    ~CDeviceSession();
    CDeviceSession(const CDeviceSession&) = delete;
    CDeviceSession& operator=(const CDeviceSession&) = delete;

    // Connects; on failure says why on standard error and returns false.
    bool Connect();
    CDeviceLink& Link() { return *m_link; }
    CStderrMessageBox& MessageBox() { return m_messageBox; }

private:
    CNotingRemoteApi m_api;
    CStderrMessageBox m_messageBox;
    std::unique_ptr<CDeviceLink> m_link;
};

// A device path as typed: "/" may stand for "\", the leading "\" may be left out and
// a trailing one is dropped. "" and "/" are the root.
std::u16string DeviceFolderFromArgument(const std::string& argument);
// Says on standard error that the handheld was lost, when it was; true then.
bool ReportLostConnection(const CDeviceLink& link);
void ReportMissingFolder(const std::u16string& folder);
// False when the handheld cannot list the folder: it is not there. A lost handheld
// tells nothing about the folder, so that counts as there.
bool FolderIsOnHandheld(CDeviceLink& link, const std::u16string& folder);

std::string DeviceFolderForDisplay(const std::u16string& folder, const std::u16string& name);

}  // namespace kiro::cli
