#pragma once

#include <wx/treectrl.h>

#include "devicelink/DeviceControls.h"

namespace kiro {

class CMainFrame;

// The left pane: the handheld's folders under one top item that stands for the device.
// The device link fills it through IDeviceTree; a change of selection lists the
// selected folder's files in the right pane.
class CLeftView final : public wxTreeCtrl, public IDeviceTree {
public:
    CLeftView();  // for the class info only
    CLeftView(wxWindow* parent, CMainFrame& frame);

    // The first update: the frame's small pictures and the disconnected device item.
    void OnInitialUpdate(wxImageList& smallImages);

    // IDeviceTree. Top-level items hang under the control's hidden root.
    TreeItem InsertItem(const std::string& label, int image, int selectedImage,
                        TreeItem parent) override;
    void DeleteAllItems() override;
    void SortChildren(TreeItem parent) override;
    void Expand(TreeItem item) override;
    void SelectItem(TreeItem item) override;
    TreeItem GetSelectedItem() const override;
    TreeItem GetParentItem(TreeItem item) const override;
    std::string GetItemText(TreeItem item) const override;

    using wxTreeCtrl::Expand;
    using wxTreeCtrl::GetItemText;
    using wxTreeCtrl::InsertItem;
    using wxTreeCtrl::SelectItem;
    using wxTreeCtrl::SortChildren;

    static wxTreeItemId ToId(TreeItem item) { return wxTreeItemId(reinterpret_cast<void*>(item)); }
    static TreeItem ToItem(const wxTreeItemId& id) {
        return reinterpret_cast<TreeItem>(id.GetID());
    }

protected:
    // Labels in ascending order, ignoring letter case.
    int OnCompareItems(const wxTreeItemId& first, const wxTreeItemId& second) override;

private:
    wxTreeItemId ParentOrRoot(TreeItem parent);
    void OnSelectionChanged(wxTreeEvent& event);

    CMainFrame* m_frame = nullptr;

    wxDECLARE_DYNAMIC_CLASS(CLeftView);
};

}  // namespace kiro
