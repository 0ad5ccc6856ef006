#pragma once

#include "seams/ViewerLauncher.h"

namespace kiro {

// Opens a text file in the desktop's default application for it (xdg-open).
class CWxViewerLauncher final : public IViewerLauncher {
public:
    bool OpenTextFile(const std::string& path) override;
};

}  // namespace kiro
