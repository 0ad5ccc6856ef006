#include "devicelink/MemoryControls.h"

#include <algorithm>

#include "devicelink/DeviceLink.h"
#include "platform/Utf16.h"

namespace kiro {

bool LessIgnoringCase(const std::string& left, const std::string& right) {
    const auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
    const std::size_t common = std::min(left.size(), right.size());
    for (std::size_t i = 0; i < common; ++i) {
        const auto a = static_cast<unsigned char>(left[i]);
        const auto b = static_cast<unsigned char>(right[i]);
        if (a != b && lower(a) != lower(b)) {
            return lower(a) < lower(b);
        }
    }
    return left.size() < right.size();
}

namespace {

// After every row whose label is not greater. Rows inserted in order (as the link
// inserts a listing) go at the end without a search.
template <typename Rows>
auto SortedPosition(Rows& rows, const std::string& label) {
    if (rows.empty() || !LessIgnoringCase(label, rows.back()->columns[0])) {
        return rows.end();
    }
    return std::upper_bound(rows.begin(), rows.end(), label,
                            [](const std::string& value, const auto& row) {
                                return LessIgnoringCase(value, row->columns[0]);
                            });
}

}  // namespace

CMemoryTree::CMemoryTree() {
    m_nodes.emplace_back();
}

TreeItem CMemoryTree::InsertItem(const std::string& label, int image, int selectedImage,
                                 TreeItem parent) {
    const TreeItem item = m_nodes.size();
    m_nodes.push_back(Node{label, image, selectedImage, parent, {}, false});
    m_nodes.at(parent).children.push_back(item);
    return item;
}

void CMemoryTree::DeleteAllItems() {
    m_nodes.resize(1);
    m_nodes[0].children.clear();
    m_selected = 0;
}

void CMemoryTree::SortChildren(TreeItem parent) {
    auto& children = m_nodes.at(parent).children;
    std::stable_sort(children.begin(), children.end(), [this](TreeItem a, TreeItem b) {
        return LessIgnoringCase(m_nodes[a].label, m_nodes[b].label);
    });
}

void CMemoryTree::Expand(TreeItem item) {
    m_nodes.at(item).expanded = true;
}

void CMemoryTree::SelectItem(TreeItem item) {
    m_selected = item;
}

TreeItem CMemoryTree::GetParentItem(TreeItem item) const {
    return item < m_nodes.size() ? m_nodes[item].parent : 0;
}

std::string CMemoryTree::GetItemText(TreeItem item) const {
    return item > 0 && item < m_nodes.size() ? m_nodes[item].label : std::string();
}

TreeItem CMemoryTree::FindChild(TreeItem parent, const std::string& label) const {
    for (const TreeItem child : m_nodes.at(parent).children) {
        if (m_nodes[child].label == label) {
            return child;
        }
    }
    return 0;
}

int CMemoryFileList::InsertItem(const std::string& label, int image) {
    const auto at = SortedPosition(m_rows, label);
    const auto index = at - m_rows.begin();
    auto row = std::make_unique<Row>();
    row->columns[0] = label;
    row->image = image;
    m_rows.insert(at, std::move(row));
    return static_cast<int>(index);
}

void CMemoryFileList::SetItemText(int item, int column, const std::string& text) {
    if (item >= 0 && item < GetItemCount() && column >= 0 && column < 4) {
        m_rows[static_cast<std::size_t>(item)]->columns[column] = text;
    }
}

std::string CMemoryFileList::GetItemText(int item, int column) const {
    if (item < 0 || item >= GetItemCount() || column < 0 || column >= 4) {
        return {};
    }
    return m_rows[static_cast<std::size_t>(item)]->columns[column];
}

int CMemoryFileList::GetSelectedCount() const {
    return static_cast<int>(
        std::count_if(m_rows.begin(), m_rows.end(),
                      [](const std::unique_ptr<Row>& row) { return row->selected; }));
}

int CMemoryFileList::GetNextSelectedItem(int after) const {
    for (int i = std::max(after + 1, 0); i < GetItemCount(); ++i) {
        if (m_rows[static_cast<std::size_t>(i)]->selected) {
            return i;
        }
    }
    return -1;
}

bool CMemoryFileList::SelectByLabel(const std::string& label) {
    for (const auto& row : m_rows) {
        if (row->columns[0] == label) {
            row->selected = true;
            return true;
        }
    }
    return false;
}

}  // namespace kiro

namespace kiro {

TreeItem SelectDeviceFolder(CMemoryTree& tree, const std::u16string& folder) {
    TreeItem item = tree.InsertItem(kRootItemLabel, kKindConnectedDevice, kKindConnectedDevice, 0);
    const std::string path = Utf16ToUtf8Lossy(folder);
    std::size_t start = 0;
    while (start < path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string::npos) {
            end = path.size();
        }
        if (end > start) {
            item = tree.InsertItem(path.substr(start, end - start), kTreeImageFolder,
                                   kTreeImageFolder, item);
        }
        start = end + 1;
    }
    tree.SelectItem(item);
    return item;
}

}  // namespace kiro
