#include "ui/KiroConvView.h"

#include <wx/toplevel.h>

#include <algorithm>

#include "devicelink/MemoryControls.h"
#include "seams/WindowTexts.h"
#include "ui/WxText.h"

namespace kiro {

namespace {

constexpr std::array<long, 4> kStyleFlags{wxLC_ICON, wxLC_REPORT, wxLC_SMALL_ICON, wxLC_LIST};
constexpr std::array<const char*, CKiroConvView::kColumnCount> kHeadings{"Filename", "File Type",
                                                                         "Size", "Modified"};

}  // namespace

// The rows as the device link fills them and the commands read them. Texts come from the
// rows, which hold every column in every style; the selection comes from the control.
class CKiroConvView::CFileList final : public IFileList {
public:
    explicit CFileList(CKiroConvView& view) : m_view(view) {}

    void DeleteAllItems() override {
        m_view.DeleteAllItems();
        m_view.m_rows.clear();
        m_view.m_rowsPending = false;
        m_view.m_itemsLackColumns = false;
    }
    int InsertItem(const std::string& label, int image) override;
    void SetItemText(int item, int column, const std::string& text) override;
    std::string GetItemText(int item, int column) const override {
        return IsCell(item, column) ? Cell(item, column) : std::string();
    }
    int GetItemCount() const override { return static_cast<int>(m_view.m_rows.size()); }
    int GetSelectedCount() const override {
        m_view.ShowPendingItems();
        return m_view.GetSelectedItemCount();
    }
    int GetNextSelectedItem(int after) const override {
        m_view.ShowPendingItems();
        return static_cast<int>(m_view.GetNextItem(after, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED));
    }

private:
    bool IsCell(int item, int column) const {
        return item >= 0 && static_cast<std::size_t>(item) < m_view.m_rows.size() && column >= 0 &&
               column < kColumnCount;
    }
    std::string& Cell(int item, int column) const {
        return m_view.m_rows[static_cast<std::size_t>(item)]
            ->texts[static_cast<std::size_t>(column)];
    }

    CKiroConvView& m_view;
};

int CKiroConvView::CFileList::InsertItem(const std::string& label, int image) {
    if (!m_view.m_rowsPending) {
        m_view.TakeSelectionFromControl();
        m_view.m_rowsPending = true;
        m_view.CallAfter(&CKiroConvView::ShowPendingItems);
    }
    // After any equal label, so that equal names keep their listing order.
    std::vector<std::unique_ptr<Row>>& rows = m_view.m_rows;
    const auto position =
        std::upper_bound(rows.begin(), rows.end(), label,
                         [](const std::string& value, const std::unique_ptr<Row>& row) {
                             return LessIgnoringCase(value, row->texts[0]);
                         });
    auto row = std::make_unique<Row>();
    row->texts[0] = label;
    row->image = image;
    const auto inserted = rows.insert(position, std::move(row));
    return static_cast<int>(inserted - rows.begin());
}

void CKiroConvView::CFileList::SetItemText(int item, int column, const std::string& text) {
    if (!IsCell(item, column)) {
        return;
    }
    Cell(item, column) = text;
    if (m_view.m_rowsPending) {
        return;
    }
    if (column == 0) {
        m_view.SetItemText(item, ToWx(text));
    } else if (m_view.GetStyleType() == kListDetails) {
        m_view.SetItem(item, column, ToWx(text));
    }
}

CKiroConvView::CKiroConvView(wxWindow* parent)
    // Created in Details so that the columns exist before the first switch away.
    : wxListCtrl(parent, wxID_ANY, wxDefaultPosition, wxSize(100, 100),
                 wxLC_REPORT | wxLC_AUTOARRANGE | wxLC_NO_SORT_HEADER | wxBORDER_SUNKEN),
      m_fileList(std::make_unique<CFileList>(*this)) {}

CKiroConvView::~CKiroConvView() {
    SaveSettings();
}

void CKiroConvView::OnInitialUpdate(ISettingsStore& store, wxImageList& smallImages,
                                    wxImageList& largeImages) {
    m_store = &store;
    m_smallImages = &smallImages;
    m_largeImages = &largeImages;
    wxGetTopLevelParent(this)->SetLabel(kNotConnectedTitle);
    const ListViewSettings settings = LoadListViewSettings(store, DefaultWidthScale(this));
    InsertColumns(settings.columnWidths);
    SetStyleType(settings.listType);
}

void CKiroConvView::InsertColumns(const std::array<int, kColumnCount>& widths) {
    m_detailsWidths = widths;
    for (int column = 0; column < kColumnCount; ++column) {
        InsertColumn(column, kHeadings[static_cast<std::size_t>(column)], wxLIST_FORMAT_LEFT,
                     widths[static_cast<std::size_t>(column)]);
    }
}

int CKiroConvView::GetStyleType() const {
    const long flags = GetWindowStyleFlag() & wxLC_MASK_TYPE;
    const auto found = std::find(kStyleFlags.begin(), kStyleFlags.end(), flags);
    return found == kStyleFlags.end() ? kListLargeIcons
                                      : static_cast<int>(found - kStyleFlags.begin());
}

void CKiroConvView::SetStyleType(int styleType) {
    if (styleType < kListLargeIcons || styleType > kListList) {
        return;
    }
    if (styleType != GetStyleType()) {
        if (GetStyleType() == kListDetails) {
            m_detailsWidths = ColumnWidthsInDetails();
        }
        SetSingleStyle(kStyleFlags[static_cast<std::size_t>(styleType)]);
    }
    GivePictures();
    if (styleType == kListDetails && m_itemsLackColumns && !m_rowsPending) {
        TakeSelectionFromControl();
        ShowAllRows();
    }
}

void CKiroConvView::GivePictures() {
    // A switch of style leaves the item layout stale until the pictures are given again.
    if (m_smallImages != nullptr) {
        SetImageList(m_smallImages, wxIMAGE_LIST_SMALL);
        SetImageList(m_largeImages, wxIMAGE_LIST_NORMAL);
    }
}

void CKiroConvView::ShowPendingItems() {
    if (m_rowsPending) {
        ShowAllRows();
    }
}

void CKiroConvView::TakeSelectionFromControl() {
    const long count = GetItemCount();
    if (static_cast<std::size_t>(count) != m_rows.size()) {
        return;
    }
    const long focused = GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_FOCUSED);
    for (long item = 0; item < count; ++item) {
        Row& row = *m_rows[static_cast<std::size_t>(item)];
        row.selected = false;
        row.focused = item == focused;
    }
    for (long item = GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED); item >= 0;
         item = GetNextItem(item, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED)) {
        m_rows[static_cast<std::size_t>(item)]->selected = true;
    }
}

void CKiroConvView::ShowAllRows() {
    m_rowsPending = false;
    const bool details = GetStyleType() == kListDetails;
    m_itemsLackColumns = !details;
    const long top = details ? GetTopItem() : 0;
    Freeze();
    DeleteAllItems();
    if (details) {
        AddRowsInDetails();
    } else {
        AddRows();
    }
    if (top > 0 && top < GetItemCount()) {
        EnsureVisible(top);
    }
    Thaw();
}

void CKiroConvView::AddRows() {
    // Appended in order: the toolkit then repaints one item per insertion.
    for (std::size_t index = 0; index < m_rows.size(); ++index) {
        const Row& row = *m_rows[index];
        const long item = static_cast<long>(index);
        InsertItem(item, ToWx(row.texts[0]), row.image);
        if (row.selected || row.focused) {
            const long state = (row.selected ? wxLIST_STATE_SELECTED : 0) |
                               (row.focused ? wxLIST_STATE_FOCUSED : 0);
            SetItemState(item, state, state);
        }
    }
}

void CKiroConvView::AddRowsInDetails() {
    // Column texts exist only while the list shows Details: the Windows list refuses them
    // in the other styles.
    AddRows();
    for (std::size_t index = 0; index < m_rows.size(); ++index) {
        for (int column = 1; column < kColumnCount; ++column) {
            SetItem(static_cast<long>(index), column,
                    ToWx(m_rows[index]->texts[static_cast<std::size_t>(column)]));
        }
    }
}

std::array<int, CKiroConvView::kColumnCount> CKiroConvView::ColumnWidthsInDetails() const {
    std::array<int, kColumnCount> widths{};
    for (int column = 0; column < kColumnCount; ++column) {
        widths[static_cast<std::size_t>(column)] = GetColumnWidth(column);
    }
    return widths;
}

void CKiroConvView::SaveSettings() {
    if (m_store == nullptr) {
        return;
    }
    // Outside Details the Windows list answers every column's width with the width of
    // its List column: the widths are those the columns had when Details was left.
    SaveListViewSettings(
        *m_store, GetStyleType(),
        GetStyleType() == kListDetails ? ColumnWidthsInDetails() : m_detailsWidths);
    m_store = nullptr;
}

}  // namespace kiro
