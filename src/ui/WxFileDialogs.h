#pragma once

#include "seams/FileDialogs.h"

class wxWindow;

namespace kiro {

// The folder, Open and Save dialogs of the desktop, owned by the main window.
class CWxFileDialogs final : public IFileDialogs {
public:
    explicit CWxFileDialogs(wxWindow* parent) : m_parent(parent) {}
    std::optional<std::string> ChooseFolder(const std::string& title,
                                            const std::string& startFolder) override;
    std::vector<std::string> OpenFiles(const std::string& title, const std::string& filters,
                                       bool multiple) override;
    std::optional<std::string> SaveFile(const std::string& title, const std::string& defaultName,
                                        const std::string& filters) override;

private:
    wxWindow* m_parent;
};

}  // namespace kiro
