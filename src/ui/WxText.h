#pragma once

#include <wx/string.h>
#include <wx/window.h>

#include <string>
#include <string_view>

#include "settings/Settings.h"

namespace kiro {

// The engine's texts are UTF-8; the toolkit's are wxString.
inline wxString ToWx(std::string_view text) {
    return wxString::FromUTF8(text.data(), text.size());
}

inline std::string FromWx(const wxString& text) {
    return text.utf8_string();
}

// How much wider than the original 8-point font this window's font is: the factor for
// default widths given in the original's pixels.
inline double DefaultWidthScale(const wxWindow* window) {
    return window->GetCharWidth() / static_cast<double>(kOriginalAverageCharWidth);
}

}  // namespace kiro
