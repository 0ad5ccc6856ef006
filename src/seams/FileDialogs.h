#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kiro {

// The Open, Save and folder dialogs, behind one interface so that tests can answer
// them with paths. Filters use the "Label|*.a;*.b|Other|*" form of the toolkit.
class IFileDialogs {
public:
    virtual ~IFileDialogs() = default;
    // A folder, or nothing when the user cancelled.
    virtual std::optional<std::string> ChooseFolder(const std::string& title,
                                                    const std::string& startFolder) = 0;
    // The chosen files (one unless `multiple`), or none when the user cancelled.
    virtual std::vector<std::string> OpenFiles(const std::string& title,
                                               const std::string& filters, bool multiple) = 0;
    // A file name to write, or nothing when the user cancelled.
    virtual std::optional<std::string> SaveFile(const std::string& title,
                                                const std::string& defaultName,
                                                const std::string& filters) = 0;
};

}  // namespace kiro
