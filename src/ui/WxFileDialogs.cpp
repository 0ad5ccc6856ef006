#include "ui/WxFileDialogs.h"
#include "ui/WxText.h"

#include <wx/dirdlg.h>
#include <wx/filedlg.h>

namespace kiro {

std::optional<std::string> CWxFileDialogs::ChooseFolder(const std::string& title,
                                                        const std::string& startFolder) {
    wxDirDialog dialog(m_parent, ToWx(title), ToWx(startFolder),
                       wxDD_DEFAULT_STYLE | wxDD_DIR_MUST_EXIST);
    if (dialog.ShowModal() != wxID_OK) {
        return std::nullopt;
    }
    return dialog.GetPath().utf8_string();
}

std::vector<std::string> CWxFileDialogs::OpenFiles(const std::string& title,
                                                   const std::string& filters, bool multiple) {
    long style = wxFD_OPEN | wxFD_FILE_MUST_EXIST;
    if (multiple) {
        style |= wxFD_MULTIPLE;
    }
    wxFileDialog dialog(m_parent, ToWx(title), wxString(), wxString(), ToWx(filters), style);
    std::vector<std::string> chosen;
    if (dialog.ShowModal() != wxID_OK) {
        return chosen;
    }
    wxArrayString paths;
    dialog.GetPaths(paths);
    for (const wxString& path : paths) {
        chosen.push_back(path.utf8_string());
    }
    return chosen;
}

std::optional<std::string> CWxFileDialogs::SaveFile(const std::string& title,
                                                    const std::string& defaultName,
                                                    const std::string& filters) {
    wxFileDialog dialog(m_parent, ToWx(title), wxString(), ToWx(defaultName), ToWx(filters),
                        wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (dialog.ShowModal() != wxID_OK) {
        return std::nullopt;
    }
    return dialog.GetPath().utf8_string();
}

}  // namespace kiro
