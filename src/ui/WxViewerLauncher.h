#pragma once

#include "seams/ViewerLauncher.h"

class wxWindow;

namespace kiro {

// Opens a text file: on Windows in Notepad, started through the shell with the path as
// given, owned by `owner`; elsewhere in the desktop's default application for it
// (xdg-open).
class CWxViewerLauncher final : public IViewerLauncher {
public:
    explicit CWxViewerLauncher(wxWindow* owner) : m_owner(owner) {}
    bool OpenTextFile(const std::string& path) override;

private:
    wxWindow* m_owner;
};

}  // namespace kiro
