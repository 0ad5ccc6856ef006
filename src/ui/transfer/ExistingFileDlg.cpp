#include "ui/transfer/ExistingFileDlg.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <filesystem>

#include "platform/FileChecks.h"
#include "ui/WxText.h"

namespace kiro {
namespace {

std::string Describe(const char* which, std::uint64_t size, const std::string& date) {
    std::string text = std::string(which) + std::to_string(size) + " bytes";
    if (!date.empty()) {
        text += ", " + date;
    }
    return text;
}

}  // namespace

CExistingFileDlg::CExistingFileDlg(wxWindow* parent, const ExistingFileQuestion& question) {
    Create(parent, wxID_ANY, "File Already Exists");
    CreateControls(question);
    for (const int id : {kIdReplace, kIdKeepBoth, kIdSkip}) {
        Bind(wxEVT_BUTTON, &CExistingFileDlg::OnChoice, this, id);
    }
    SetEscapeId(kIdSkip);
}

void CExistingFileDlg::CreateControls(const ExistingFileQuestion& question) {
    const int gap = wxDLG_UNIT(this, wxSize(5, 5)).y;
    const std::filesystem::path path = PathFromUtf8(question.path);
    auto* column = new wxBoxSizer(wxVERTICAL);
    const auto addText = [&](const std::string& text, int top) {
        auto* label = new wxStaticText(this, wxID_ANY, ToWx(text));
        label->Wrap(wxDLG_UNIT(this, wxSize(220, -1)).x);
        column->Add(label, wxSizerFlags().Border(wxTOP, top));
    };
    addText("The folder " + Utf8FromPath(path.parent_path()) +
                " already holds a different file named " + Utf8FromPath(path.filename()) + ".",
            0);
    addText(Describe("Existing file: ", question.existingSize, question.existingDate), gap);
    addText(Describe("Copy from the handheld: ", question.newSize, question.newDate), gap / 2);
    // A no-break space keeps the new name on one line.
    std::string numbered = Utf8FromPath(NumberedName(path, 2).filename());
    numbered.replace(numbered.rfind(" ("), 1, "\xC2\xA0");
    addText("Keep Both saves the copy beside it as " + numbered + ".", gap);
    m_forRest = new wxCheckBox(this, kIdForRest, "Do the same for the rest of this job");
    column->Add(m_forRest, wxSizerFlags().Border(wxTOP, gap));

    auto* row = new wxBoxSizer(wxHORIZONTAL);
    const auto addButton = [&](int id, const char* label) {
        auto* button = new wxButton(this, id, label);
        row->Add(button, wxSizerFlags().Border(wxLEFT, row->IsEmpty() ? 0 : gap));
        return button;
    };
    addButton(kIdReplace, "&Replace");
    addButton(kIdKeepBoth, "&Keep Both")->SetDefault();
    addButton(kIdSkip, "&Skip");
    column->Add(row, wxSizerFlags().Right().Border(wxTOP, 2 * gap));

    auto* outer = new wxBoxSizer(wxVERTICAL);
    outer->Add(column, wxSizerFlags(1).Expand().Border(wxALL, 2 * gap));
    SetSizerAndFit(outer);
    CentreOnParent();
}

void CExistingFileDlg::OnChoice(wxCommandEvent& event) {
    EndModal(event.GetId());
}

ExistingFileAnswer CExistingFileDlg::Answer(int endedWith) const {
    ExistingFileAnswer answer;
    answer.choice = endedWith == kIdReplace    ? ExistingFileChoice::Replace
                    : endedWith == kIdKeepBoth ? ExistingFileChoice::KeepBoth
                                               : ExistingFileChoice::Skip;
    answer.forRestOfJob = m_forRest->GetValue();
    return answer;
}

ExistingFileAnswer AskAboutExistingFile(wxWindow* parent, const ExistingFileQuestion& question) {
    CExistingFileDlg dialog(parent, question);
    return dialog.Answer(dialog.ShowModal());
}

}  // namespace kiro
