#pragma once

#include <wx/listctrl.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "seams/DeviceControls.h"
#include "settings/Settings.h"

namespace kiro {

// The right pane: the files of the device folder selected in the tree, in one of four
// styles (Large Icons, Details, Small Icons, List), kept in ascending order of their
// names ignoring letter case. The device link fills it through FileList().
//
// The view keeps the items itself and shows them in the toolkit's list in one go, at the
// latest before the next event is handled or as soon as anyone asks for the selection:
//  - the toolkit's list repaints every item after an insertion point, which makes
//    filling a large folder in name order quadratic;
//  - it keeps sub-item texts only for items added in the Details style, and the transfer
//    job reads them in every style.
class CKiroConvView final : public wxListCtrl {
public:
    explicit CKiroConvView(wxWindow* parent);
    ~CKiroConvView() override;

    // The first update: title, pictures, the stored style and column widths. The
    // style and the widths go back into `store` when the view is destroyed.
    void OnInitialUpdate(ISettingsStore& store, wxImageList& smallImages, wxImageList& largeImages);

    // The style type: 0 Large Icons, 1 Details, 2 Small Icons, 3 List.
    int GetStyleType() const;
    void SetStyleType(int styleType);

    // The list as the device link fills it and the commands read its selection.
    IFileList& FileList() { return *m_fileList; }
    const IFileList& FileList() const { return *m_fileList; }

    // Puts items added since into the toolkit's list now (it happens by itself before
    // the next event).
    void ShowPendingItems();

    static constexpr int kColumnCount = 4;

private:
    class CFileList;

    struct Row {
        std::array<std::string, kColumnCount> texts;
        int image = 0;
        bool selected = false;
        bool focused = false;
    };

    void InsertColumns(const std::array<int, kColumnCount>& widths);
    // The toolkit's selection and focus, copied into the rows while they match its items.
    void TakeSelectionFromControl();
    // Fills the toolkit's list from the rows, selection and focus included.
    void ShowAllRows();
    void AddRows();
    void AddRowsInDetails();
    void GivePictures();
    std::array<int, kColumnCount> ColumnWidthsInDetails() const;
    void SaveSettings();

    ISettingsStore* m_store = nullptr;
    wxImageList* m_smallImages = nullptr;
    wxImageList* m_largeImages = nullptr;
    // Held by pointer so that inserting in the middle moves pointers only.
    std::vector<std::unique_ptr<Row>> m_rows;
    // The rows changed since the toolkit's list last showed them.
    bool m_rowsPending = false;
    // Some items were shown outside the Details style and lack their sub-item texts there.
    bool m_itemsLackColumns = false;
    // The columns' widths as Details last showed them.
    std::array<int, kColumnCount> m_detailsWidths{};
    std::unique_ptr<IFileList> m_fileList;
};

}  // namespace kiro
