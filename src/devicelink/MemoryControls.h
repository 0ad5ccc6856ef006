#pragma once

#include <memory>
#include <string>
#include <vector>

#include "seams/DeviceControls.h"

namespace kiro {

// A device tree held in memory: for the command line, and for tests.
class CMemoryTree final : public IDeviceTree {
public:
    struct Node {
        std::string label;
        int image = 0;
        int selectedImage = 0;
        TreeItem parent = 0;
        std::vector<TreeItem> children;
        bool expanded = false;
    };

    CMemoryTree();
    TreeItem InsertItem(const std::string& label, int image, int selectedImage,
                        TreeItem parent) override;
    void DeleteAllItems() override;
    void SortChildren(TreeItem parent) override;
    void Expand(TreeItem item) override;
    void SelectItem(TreeItem item) override;
    TreeItem GetSelectedItem() const override { return m_selected; }
    TreeItem GetParentItem(TreeItem item) const override;
    std::string GetItemText(TreeItem item) const override;

    const Node& NodeAt(TreeItem item) const { return m_nodes.at(item); }
    const std::vector<TreeItem>& Children(TreeItem parent) const {
        return m_nodes.at(parent).children;
    }
    // The child of parent with that label, or 0.
    TreeItem FindChild(TreeItem parent, const std::string& label) const;

private:
    std::vector<Node> m_nodes;  // index 0 is the invisible top level
    TreeItem m_selected = 0;
};

// A file list held in memory, kept in ascending order of labels ignoring case.
class CMemoryFileList final : public IFileList {
public:
    struct Row {
        std::string columns[4];
        int image = 0;
        bool selected = false;
    };

    void DeleteAllItems() override { m_rows.clear(); }
    int InsertItem(const std::string& label, int image) override;
    void SetItemText(int item, int column, const std::string& text) override;
    std::string GetItemText(int item, int column) const override;
    int GetItemCount() const override { return static_cast<int>(m_rows.size()); }
    int GetSelectedCount() const override;
    int GetNextSelectedItem(int after) const override;

    void Select(int item, bool selected = true) {
        m_rows.at(static_cast<std::size_t>(item))->selected = selected;
    }
    // Selects the rows with these labels; false when one is not listed.
    bool SelectByLabel(const std::string& label);
    const Row& RowAt(int item) const { return *m_rows.at(static_cast<std::size_t>(item)); }

private:
    // Rows are held by pointer so that inserting in the middle moves pointers only.
    std::vector<std::unique_ptr<Row>> m_rows;
};

// Builds the chain of tree items from the root item "Kiro-SCAN" down to a device
// folder ("\" or "\A\B") and selects its end, as if the user had picked it.
TreeItem SelectDeviceFolder(CMemoryTree& tree, const std::u16string& folder);

// Ascending, ignoring ASCII letter case, as the original controls sorted.
bool LessIgnoringCase(const std::string& left, const std::string& right);

}  // namespace kiro
