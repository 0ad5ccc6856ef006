#include "devicelink/FolderSelection.h"

#include "platform/WindowTexts.h"

namespace kiro {

void ShowSelectedFolder(ConnectState connectState, CDeviceLink& link, const IDeviceTree& tree,
                        IFileList& list, ITextPane& status,
                        const std::function<void(const std::string&)>& setTitle) {
    status.SetText(kGettingDirectoryContents);
    if (connectState == ConnectState::Connected) {
        std::u16string widePath;
        std::string narrowPath;
        link.GetSelectedFolderPath(tree, &widePath, &narrowPath);
        setTitle(ConnectedTitle(narrowPath));
        link.FillFileList(widePath, list);
    }
    status.SetText(kIdleStatusText);
}

}  // namespace kiro
