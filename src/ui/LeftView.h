#pragma once

#include <wx/treectrl.h>

#include <memory>
#include <string>

#include "devicelink/ConnectState.h"
#include "seams/DeviceControls.h"
#include "seams/TextPane.h"

namespace kiro {

class CDeviceLink;

// What the tree needs from the window around it to list a selected folder.
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

// The left pane: the handheld's folders under one top item that stands for the device.
// The device link fills it through DeviceTree(); a change of selection lists the
// selected folder's files in the right pane.
class CLeftView final : public wxTreeCtrl {
public:
    CLeftView();  // for the class info only
    CLeftView(wxWindow* parent, ILeftViewHost& host);

    // The first update: the frame's small pictures and the disconnected device item.
    void OnInitialUpdate(wxImageList& smallImages);

    // The tree as the device link fills and reads it. Its top-level items hang under
    // the control's hidden root.
    IDeviceTree& DeviceTree() { return *m_deviceTree; }

protected:
    // Labels in ascending order, ignoring letter case.
    int OnCompareItems(const wxTreeItemId& first, const wxTreeItemId& second) override;

private:
    class CDeviceTree;

    void OnSelectionChanged(wxTreeEvent& event);

    ILeftViewHost* m_host = nullptr;
    std::unique_ptr<IDeviceTree> m_deviceTree;

    wxDECLARE_DYNAMIC_CLASS(CLeftView);
};

}  // namespace kiro
