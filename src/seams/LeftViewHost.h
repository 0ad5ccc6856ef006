#pragma once

#include <string>

#include "seams/DeviceControls.h"
#include "seams/TextPane.h"

namespace kiro {

// devicelink/ defines these; the window's implementation includes it.
class CDeviceLink;
enum class ConnectState;

// What the device tree needs from the window around it to list a selected folder.
class ILeftViewHost {
public:
    virtual ~ILeftViewHost() = default;
    virtual ConnectState GetConnectState() const = 0;
    virtual CDeviceLink& GetDeviceLink() = 0;
    // The file list of the right pane; none while it does not exist.
    virtual IFileList* GetFileList() = 0;
    virtual ITextPane& GetStatusPane() = 0;
    virtual void SetWindowTitle(const std::string& title) = 0;
    virtual void HandleLostConnection() = 0;
};

}  // namespace kiro
