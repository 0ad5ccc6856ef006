#include "ui/WxViewerLauncher.h"

#include <wx/utils.h>
#include <wx/window.h>

#ifdef __WXMSW__
#include "platform/ShellOpen.h"
#endif
#include "ui/WxText.h"

namespace kiro {

#ifdef __WXMSW__
bool CWxViewerLauncher::OpenTextFile(const std::string& path) {
    return ShellOpenProgram("notepad.exe", path, m_owner->GetHWND());
}
#else
bool CWxViewerLauncher::OpenTextFile(const std::string& path) {
    // A relative name starting with "-" would reach the launcher as an option.
    const std::string argument = path.starts_with('-') ? "./" + path : path;
    return wxLaunchDefaultApplication(ToWx(argument));
}
#endif

}  // namespace kiro
