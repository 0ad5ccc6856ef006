#include "devicelink/HandheldCommands.h"

#include "devicelink/ConnectionTexts.h"
#include "devicelink/FileKinds.h"
#include "devicelink/PathJoining.h"
#include "platform/BusyScope.h"
#include "platform/Utf16.h"
#include "seams/WindowTexts.h"

namespace kiro {

CHandheldCommands::CHandheldCommands(HandheldWindow window) : m_window(std::move(window)) {}

void CHandheldCommands::SetIdle() {
    m_window.status.SetText(kIdleStatusText);
}

void CHandheldCommands::OnConnect() {
    CBusyScope busy(m_window.busy);
    m_window.tree.DeleteAllItems();
    m_hRootItem = 0;
    if (m_connectState == ConnectState::Connected) {
        Disconnect();
    } else {
        Connect();
    }
    SetIdle();
}

void CHandheldCommands::Disconnect() {
    m_window.setTitle(kNotConnectedTitle);
    m_window.status.SetText("Closing RAPI");
    m_window.link.Disconnect();
    m_hRootItem = m_window.tree.InsertItem(kRootItemLabel, kKindDisconnectedDevice,
                                           kKindDisconnectedDevice, 0);
    m_window.list.DeleteAllItems();
    m_connectState = ConnectState::NotConnected;
}

void CHandheldCommands::Connect() {
    m_window.status.SetText("Initializing RAPI");
    const ConnectOutcome outcome = m_window.link.ConnectToHandheld();
    const bool connected = outcome == ConnectOutcome::Connected;
    m_connectState = connected ? ConnectState::Connected : ConnectState::NotConnected;
    if (connected) {
        FillTreeFromRoot();
        HandleLostConnection();
        return;
    }
    m_window.messageBox.Show(ConnectFailureMessage(outcome, m_window.link.ConnectFault(),
                                                   m_window.link.ConnectProblem()));
    m_window.setTitle(kNotConnectedTitle);
    m_hRootItem = m_window.tree.InsertItem(kRootItemLabel, kKindDisconnectedDevice,
                                           kKindDisconnectedDevice, 0);
    m_window.link.Disconnect();
}

void CHandheldCommands::FillTreeFromRoot() {
    m_window.status.SetText("Getting Kiro-SCAN Directory Structure");
    m_hRootItem =
        m_window.tree.InsertItem(kRootItemLabel, kKindConnectedDevice, kKindConnectedDevice, 0);
    m_window.link.ReadFolderTree(u"\\", kTreeFindFlags, m_window.tree, m_hRootItem);
    m_window.tree.SortChildren(0);
    m_window.tree.SortChildren(m_hRootItem);
    m_window.tree.Expand(m_hRootItem);
    // The tree view lists the root folder and names it in the title when it sees the
    // selection change.
    m_window.tree.SelectItem(m_hRootItem);
}

void CHandheldCommands::OnRefresh() {
    if (m_connectState != ConnectState::Connected) {
        return;
    }
    CBusyScope busy(m_window.busy);
    m_window.tree.DeleteAllItems();
    FillTreeFromRoot();
    SetIdle();
    HandleLostConnection();
}

void CHandheldCommands::OnDeleteFiles() {
    if (m_connectState != ConnectState::Connected) {
        return;
    }
    const std::u16string folder =
        m_window.link.SelectedFolder(m_window.tree).value_or(DeviceFolder{}).wide;
    const int selected = m_window.list.GetSelectedCount();
    if (selected == 0) {
        m_window.messageBox.Show(
            {"No files selected.  This tool can only be used for files, not directories.",
             "File Delete Error", MessageButtons::Ok, MessageAnswer::Ok, MessageOwner::MainWindow});
        return;
    }
    const MessageAnswer answer = m_window.messageBox.Show(
        {"Are you sure you want to deleted these " + std::to_string(selected) + " files(s)?",
         "Delete File", MessageButtons::YesNo, MessageAnswer::Yes, MessageOwner::MainWindow});
    if (answer != MessageAnswer::Yes) {
        return;
    }
    CBusyScope busy(m_window.busy);
    for (int item = m_window.list.GetNextSelectedItem(-1); item != -1;) {
        const int next = m_window.list.GetNextSelectedItem(item);
        const std::u16string name = Utf8ToUtf16(m_window.list.GetItemText(item, 0)).value_or(u"");
        m_window.status.SetText("Deleting " + Utf16ToUtf8Lossy(JoinDevicePath(folder, name)));
        m_window.link.DeleteOnHandheld(folder, name);  // a refusal shows in the list again
        if (m_window.link.ConnectionLost()) {
            break;
        }
        item = next;
    }
    if (!HandleLostConnection()) {
        m_window.status.SetText(kGettingDirectoryContents);
        const DeviceFolder shown =
            m_window.link.SelectedFolder(m_window.tree).value_or(DeviceFolder{});
        m_window.setTitle(ConnectedTitle(shown.narrow));
        m_window.link.ListFolder(shown.wide, m_window.list);
        HandleLostConnection();
    }
    SetIdle();
}

void CHandheldCommands::OnCreateDirectory(
    const std::function<std::optional<std::string>(const std::string& root)>& askName) {
    if (m_connectState != ConnectState::Connected) {
        return;
    }
    const DeviceFolder folder =
        m_window.link.SelectedFolder(m_window.tree).value_or(DeviceFolder{});
    const std::optional<std::string> name = askName(folder.narrow);
    if (!name || name->empty()) {
        return;
    }
    const std::u16string path = JoinDevicePath(folder.wide, Utf8ToUtf16(*name).value_or(u""));
    if (m_window.link.CreateFolderOnHandheld(path) != RemoteChange::Done &&
        !HandleLostConnection()) {
        m_window.messageBox.Show({"Directory creation failed", "Error", MessageButtons::Ok,
                                  MessageAnswer::Ok, MessageOwner::MainWindow});
    }
}

bool CHandheldCommands::HandleLostConnection() {
    if (m_connectState != ConnectState::Connected || !m_window.link.ConnectionLost()) {
        return false;
    }
    ShowNotConnected();
    m_window.messageBox.Show({ConnectionLostText(m_window.link.LossCause()),
                              "RAPI Connection Error", MessageButtons::Ok, MessageAnswer::Ok,
                              MessageOwner::MainWindow});
    return true;
}

void CHandheldCommands::ShowNotConnected() {
    m_connectState = ConnectState::NotConnected;
    m_window.tree.DeleteAllItems();
    m_hRootItem = m_window.tree.InsertItem(kRootItemLabel, kKindDisconnectedDevice,
                                           kKindDisconnectedDevice, 0);
    m_window.list.DeleteAllItems();
    m_window.setTitle(kNotConnectedTitle);
    SetIdle();
}

}  // namespace kiro
