#pragma once

#include <functional>
#include <optional>
#include <string>

#include "devicelink/ConnectState.h"
#include "devicelink/DeviceLink.h"
#include "seams/DeviceControls.h"
#include "seams/MessageBox.h"
#include "seams/TextPane.h"

namespace kiro {

// What the main window lends the handheld commands: its tree, list, status pane and
// title, its boxes, and its wait cursor.
struct HandheldWindow {
    CDeviceLink& link;
    IDeviceTree& tree;
    IFileList& list;
    IMessageBox& messageBox;
    ITextPane& status;
    std::function<void(const std::string& title)> setTitle;
    // Called with true before a long step (the window repaints first) and with false after.
    std::function<void(bool busy)> busy;
};

// The commands of the main window that act on the handheld directly: Connect (a
// toggle), Refresh, Delete Files and Create Directory, and what the window does when
// the handheld goes away. Selecting the root item in the tree lets the tree view list
// the root folder, as a user's click would.
class CHandheldCommands {
public:
    explicit CHandheldCommands(HandheldWindow window);

    kiro::ConnectState State() const { return m_connectState; }
    TreeItem RootItem() const { return m_hRootItem; }

    void OnConnect();
    void OnRefresh();
    void OnDeleteFiles();
    // `askName` runs the create-folder dialog for the current folder; nothing means
    // Cancel.
    void OnCreateDirectory(
        const std::function<std::optional<std::string>(const std::string& root)>& askName);

    // After any step that talked to the handheld: when the link has lost it, says so
    // once and shows the not-connected state (greyed root, list emptied, title), so
    // that Connect starts again. True when it did.
    bool HandleLostConnection();

private:
    void Connect();
    void Disconnect();
    void FillTreeFromRoot();
    void ShowNotConnected();
    void SetIdle();

    HandheldWindow m_window;
    kiro::ConnectState m_connectState = ConnectState::NotConnected;
    TreeItem m_hRootItem = 0;
};

}  // namespace kiro
