#pragma once

#include <string>
#include <string_view>

namespace kiro::cli {

// Appends a JSON string. JSON text is UTF-8: well-formed UTF-8 passes through, each byte
// that is not part of one (a PC name may hold any bytes) becomes U+FFFD, and control
// characters (C1 included), quotes and backslashes are escaped.
void AppendJsonString(std::string& out, std::string_view text);

// Appends a number in the shortest form that reads back to the same value; JSON has no
// NaN or infinity, so those become null.
void AppendJsonNumber(std::string& out, double value);
void AppendJsonNumber(std::string& out, float value);

}  // namespace kiro::cli
