#pragma once

#include <string>

namespace kiro {

// Shows a text file in the desktop's viewer for text files.
class IViewerLauncher {
public:
    virtual ~IViewerLauncher() = default;
    // Hands the path over as given (a relative one is taken from the current folder);
    // false when no viewer could be started.
    virtual bool OpenTextFile(const std::string& path) = 0;
};

}  // namespace kiro
