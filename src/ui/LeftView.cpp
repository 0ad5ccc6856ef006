#include "ui/LeftView.h"

#include <wx/utils.h>

#include "devicelink/DeviceLink.h"
#include "devicelink/FolderSelection.h"
#include "devicelink/MemoryControls.h"
#include "ui/KiroConvView.h"
#include "ui/MainFrame.h"
#include "ui/WxText.h"

namespace kiro {

wxIMPLEMENT_DYNAMIC_CLASS(CLeftView, wxTreeCtrl);

namespace {

constexpr int kDisconnectedDeviceImage = 3;

}  // namespace

CLeftView::CLeftView() = default;

CLeftView::CLeftView(wxWindow* parent, CMainFrame& frame)
    : wxTreeCtrl(
          parent, wxID_ANY, wxDefaultPosition, wxSize(100, 100),
          wxTR_HAS_BUTTONS | wxTR_LINES_AT_ROOT | wxTR_HIDE_ROOT | wxTR_SINGLE | wxBORDER_SUNKEN),
      m_frame(&frame) {
    AddRoot(wxString());
    Bind(wxEVT_TREE_SEL_CHANGED, &CLeftView::OnSelectionChanged, this);
}

void CLeftView::OnInitialUpdate(wxImageList& smallImages) {
    SetImageList(&smallImages);
    InsertItem(kRootItemLabel, kDisconnectedDeviceImage, kDisconnectedDeviceImage, 0);
}

wxTreeItemId CLeftView::ParentOrRoot(TreeItem parent) {
    if (parent != 0) {
        return ToId(parent);
    }
    wxTreeItemId root = GetRootItem();
    // The whole tree, hidden root included, may have been cleared by the control itself.
    return root.IsOk() ? root : AddRoot(wxString());
}

TreeItem CLeftView::InsertItem(const std::string& label, int image, int selectedImage,
                               TreeItem parent) {
    return ToItem(AppendItem(ParentOrRoot(parent), ToWx(label), image, selectedImage));
}

void CLeftView::DeleteAllItems() {
    const wxTreeItemId root = GetRootItem();
    if (root.IsOk()) {
        DeleteChildren(root);
    }
}

void CLeftView::SortChildren(TreeItem parent) {
    wxTreeCtrl::SortChildren(ParentOrRoot(parent));
}

void CLeftView::Expand(TreeItem item) {
    wxTreeCtrl::Expand(ToId(item));
}

void CLeftView::SelectItem(TreeItem item) {
    wxTreeCtrl::SelectItem(ToId(item));
}

TreeItem CLeftView::GetSelectedItem() const {
    const wxTreeItemId selected = GetSelection();
    return selected.IsOk() && selected != GetRootItem() ? ToItem(selected) : 0;
}

TreeItem CLeftView::GetParentItem(TreeItem item) const {
    const wxTreeItemId parent = GetItemParent(ToId(item));
    return parent.IsOk() && parent != GetRootItem() ? ToItem(parent) : 0;
}

std::string CLeftView::GetItemText(TreeItem item) const {
    return wxTreeCtrl::GetItemText(ToId(item)).utf8_string();
}

int CLeftView::OnCompareItems(const wxTreeItemId& first, const wxTreeItemId& second) {
    const std::string a = wxTreeCtrl::GetItemText(first).utf8_string();
    const std::string b = wxTreeCtrl::GetItemText(second).utf8_string();
    if (LessIgnoringCase(a, b)) {
        return -1;
    }
    return LessIgnoringCase(b, a) ? 1 : 0;
}

void CLeftView::OnSelectionChanged(wxTreeEvent& event) {
    event.Skip();
    if (m_frame == nullptr || m_frame->GetListView() == nullptr) {
        return;
    }
    wxBusyCursor wait;
    ShowSelectedFolder(m_frame->GetConnectState(), m_frame->GetDeviceLink(), *this,
                       *m_frame->GetListView(), m_frame->GetStatusPane(),
                       [this](const std::string& title) { m_frame->SetTitle(ToWx(title)); });
    // The tree may not be rebuilt from inside its own selection event.
    if (m_frame->GetDeviceLink().ConnectionLost()) {
        CallAfter([frame = m_frame] { frame->HandleLostConnection(); });
    }
}

}  // namespace kiro
