#include "ui/WxViewerLauncher.h"

#include <wx/utils.h>

#include "ui/WxText.h"

namespace kiro {

bool CWxViewerLauncher::OpenTextFile(const std::string& path) {
    // A relative name starting with "-" would reach the launcher as an option.
    const std::string argument = path.starts_with('-') ? "./" + path : path;
    return wxLaunchDefaultApplication(ToWx(argument));
}

}  // namespace kiro
