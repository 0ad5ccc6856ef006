#include "ui/LeftView.h"

#include "devicelink/DeviceLink.h"
#include "devicelink/FolderSelection.h"
#include "devicelink/MemoryControls.h"
#include "ui/WaitCursor.h"
#include "ui/WxText.h"

namespace kiro {

wxIMPLEMENT_DYNAMIC_CLASS(CLeftView, wxTreeCtrl);

namespace {

constexpr int kDisconnectedDeviceImage = 3;

wxTreeItemId ToId(TreeItem item) {
    return wxTreeItemId(reinterpret_cast<void*>(item));
}

TreeItem ToItem(const wxTreeItemId& id) {
    return reinterpret_cast<TreeItem>(id.GetID());
}

}  // namespace

// The tree control as the device link sees it: opaque handles, 0 for the top level.
class CLeftView::CDeviceTree final : public IDeviceTree {
public:
    explicit CDeviceTree(wxTreeCtrl& tree) : m_tree(tree) {}

    TreeItem InsertItem(const std::string& label, int image, int selectedImage,
                        TreeItem parent) override {
        return ToItem(m_tree.AppendItem(ParentOrRoot(parent), ToWx(label), image, selectedImage));
    }
    void DeleteAllItems() override {
        const wxTreeItemId root = m_tree.GetRootItem();
        if (root.IsOk()) {
            m_tree.DeleteChildren(root);
        }
    }
    void SortChildren(TreeItem parent) override { m_tree.SortChildren(ParentOrRoot(parent)); }
    void Expand(TreeItem item) override { m_tree.Expand(ToId(item)); }
    void SelectItem(TreeItem item) override { m_tree.SelectItem(ToId(item)); }
    TreeItem GetSelectedItem() const override { return UnlessRoot(m_tree.GetSelection()); }
    TreeItem GetParentItem(TreeItem item) const override {
        return UnlessRoot(m_tree.GetItemParent(ToId(item)));
    }
    std::string GetItemText(TreeItem item) const override {
        return m_tree.GetItemText(ToId(item)).utf8_string();
    }

private:
    wxTreeItemId ParentOrRoot(TreeItem parent) {
        if (parent != 0) {
            return ToId(parent);
        }
        wxTreeItemId root = m_tree.GetRootItem();
        // The whole tree, hidden root included, may have been cleared by the control itself.
        return root.IsOk() ? root : m_tree.AddRoot(wxString());
    }
    TreeItem UnlessRoot(const wxTreeItemId& id) const {
        return id.IsOk() && id != m_tree.GetRootItem() ? ToItem(id) : 0;
    }

    wxTreeCtrl& m_tree;
};

CLeftView::CLeftView() : m_deviceTree(std::make_unique<CDeviceTree>(*this)) {}

CLeftView::CLeftView(wxWindow* parent, ILeftViewHost& host)
    : wxTreeCtrl(
          parent, wxID_ANY, wxDefaultPosition, wxSize(100, 100),
          wxTR_HAS_BUTTONS | wxTR_LINES_AT_ROOT | wxTR_HIDE_ROOT | wxTR_SINGLE | wxBORDER_SUNKEN),
      m_host(&host),
      m_deviceTree(std::make_unique<CDeviceTree>(*this)) {
    AddRoot(wxString());
    Bind(wxEVT_TREE_SEL_CHANGED, &CLeftView::OnSelectionChanged, this);
}

void CLeftView::OnInitialUpdate(wxImageList& smallImages) {
    SetImageList(&smallImages);
    m_deviceTree->InsertItem(kRootItemLabel, kDisconnectedDeviceImage, kDisconnectedDeviceImage, 0);
}

int CLeftView::OnCompareItems(const wxTreeItemId& first, const wxTreeItemId& second) {
    const std::string a = GetItemText(first).utf8_string();
    const std::string b = GetItemText(second).utf8_string();
    if (LessIgnoringCase(a, b)) {
        return -1;
    }
    return LessIgnoringCase(b, a) ? 1 : 0;
}

void CLeftView::OnSelectionChanged(wxTreeEvent& event) {
    event.Skip();
    IFileList* list = m_host != nullptr ? m_host->GetFileList() : nullptr;
    if (list == nullptr) {
        return;
    }
    const CWaitCursor wait;
    ShowSelectedFolder(m_host->GetConnectState(), m_host->GetDeviceLink(), *m_deviceTree, *list,
                       m_host->GetStatusPane(),
                       [this](const std::string& title) { m_host->SetWindowTitle(title); });
    // The tree may not be rebuilt from inside its own selection event.
    if (m_host->GetDeviceLink().ConnectionLost()) {
        CallAfter([host = m_host] { host->HandleLostConnection(); });
    }
}

}  // namespace kiro
