#pragma once

#include <string>

namespace kiro {

// Texts of the main window that the engine's commands set too.

inline constexpr const char* kIdleStatusText = "For Help, press F1";
inline constexpr const char* kNotConnectedTitle = "KIROSCAN Conversion Utility - Not Connected";
inline constexpr const char* kGettingDirectoryContents = "Getting Directory Contents";
// The application's title: the caption of its own message boxes.
inline constexpr const char* kApplicationTitle = "KiroConv";

// The main window's title while connected, naming the selected device folder.
inline std::string ConnectedTitle(const std::string& folder) {
    return "KIROSCAN Conversion Utility - " + folder;
}

}  // namespace kiro
