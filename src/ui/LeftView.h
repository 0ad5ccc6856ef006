#pragma once

#include <wx/treectrl.h>

#include <memory>
#include <string>

#include "seams/DeviceControls.h"
#include "seams/LeftViewHost.h"

namespace kiro {

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
