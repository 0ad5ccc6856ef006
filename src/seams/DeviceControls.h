#pragma once

#include <cstdint>
#include <string>

namespace kiro {

// The device tree as the device link fills and reads it. Items are opaque handles;
// 0 means "none" (as parent: the top level).
using TreeItem = std::uintptr_t;

class IDeviceTree {
public:
    virtual ~IDeviceTree() = default;
    // Appends an item as the last child of parent.
    virtual TreeItem InsertItem(const std::string& label, int image, int selectedImage,
                                TreeItem parent) = 0;
    virtual void DeleteAllItems() = 0;
    // Sorts the children of parent (one level), ignoring letter case.
    virtual void SortChildren(TreeItem parent) = 0;
    virtual void Expand(TreeItem item) = 0;
    virtual void SelectItem(TreeItem item) = 0;
    virtual TreeItem GetSelectedItem() const = 0;
    virtual TreeItem GetParentItem(TreeItem item) const = 0;
    virtual std::string GetItemText(TreeItem item) const = 0;
};

// The file list: items with a label, a picture and sub-item texts, kept in ascending
// order of labels ignoring letter case.
class IFileList {
public:
    virtual ~IFileList() = default;
    virtual void DeleteAllItems() = 0;
    // Inserts at the sorted position; returns the item's index.
    virtual int InsertItem(const std::string& label, int image) = 0;
    virtual void SetItemText(int item, int column, const std::string& text) = 0;
    virtual std::string GetItemText(int item, int column) const = 0;
    virtual int GetItemCount() const = 0;
    virtual int GetSelectedCount() const = 0;
    // The next selected item after `after` (-1 starts from the top); -1 when none is left.
    virtual int GetNextSelectedItem(int after) const = 0;
};

class IProgressBar {
public:
    virtual ~IProgressBar() = default;
    virtual void SetRange(int lower, int upper) = 0;
    virtual void SetPos(int position) = 0;
    // Repaints at once, without waiting for the message loop.
    virtual void Repaint() = 0;
};

}  // namespace kiro
