#pragma once

#include <optional>
#include <string>

#include "seams/FileDialogs.h"

namespace kiro {

// The "Create New Log File" dialog as the Log commands see it.
class INewLogFileDialog {
public:
    virtual ~INewLogFileDialog() = default;
    // Shows the dialog with the current and the new name both set to `currentName`;
    // its "..." button uses `fileDialogs`. The new name when the user pressed OK,
    // nothing otherwise.
    virtual std::optional<std::string> AskNewLogName(const std::string& currentName,
                                                     IFileDialogs& fileDialogs) = 0;
};

}  // namespace kiro
