#include "devicelink/FolderSelection.h"

#include "seams/WindowTexts.h"

namespace kiro {

void ShowSelectedFolder(ConnectState connectState, CDeviceLink& link, const IDeviceTree& tree,
                        IFileList& list, ITextPane& status,
                        const std::function<void(const std::string&)>& setTitle) {
    status.SetText(kGettingDirectoryContents);
    if (connectState == ConnectState::Connected) {
        const DeviceFolder folder = link.SelectedFolder(tree).value_or(DeviceFolder{});
        setTitle(ConnectedTitle(folder.narrow));
        link.ListFolder(folder.wide, list);
    }
    status.SetText(kIdleStatusText);
}

}  // namespace kiro
