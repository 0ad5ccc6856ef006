#pragma once

#include <functional>
#include <string>

#include "devicelink/ConnectState.h"
#include "devicelink/DeviceLink.h"
#include "seams/DeviceControls.h"
#include "seams/TextPane.h"

namespace kiro {

// What the device tree does when its selection changes: while connected (state 0) it
// lists the selected folder's files and names the folder in the title; while not
// connected only the status text flickers. The status text ends as the idle text.
void ShowSelectedFolder(ConnectState connectState, CDeviceLink& link, const IDeviceTree& tree,
                        IFileList& list, ITextPane& status,
                        const std::function<void(const std::string&)>& setTitle);

}  // namespace kiro
