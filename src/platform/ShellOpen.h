#pragma once

#include <string>

namespace kiro {

// Windows only: asks the shell to carry out the verb "open" on `program` with
// `parameters` as the whole parameter string (taken as given, not quoted), no working
// folder, a normal window, owned by `ownerWindow` (a window handle, or null). False when
// the shell could not.
bool ShellOpenProgram(const std::string& program, const std::string& parameters, void* ownerWindow);

}  // namespace kiro
