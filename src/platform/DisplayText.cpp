#include "platform/DisplayText.h"

#include <cstdio>

#include "platform/Utf16.h"

namespace kiro {
namespace {

void AppendCode(std::string& out, const char* format, unsigned code) {
    char text[8];
    std::snprintf(text, sizeof text, format, code);
    out += text;
}

void AppendEscaped(std::string& out, unsigned char c) {
    switch (c) {
        case '\n':
            out += "\\n";
            return;
        case '\r':
            out += "\\r";
            return;
        case '\t':
            out += "\\t";
            return;
        default:
            AppendCode(out, "\\x%02X", c);
    }
}

}  // namespace

std::string EscapeControlCharacters(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const auto c = static_cast<unsigned char>(text.front());
        const std::size_t length = Utf8SequenceLength(text);
        if (length == 0 || c < 0x20 || c == 0x7F) {
            AppendEscaped(out, c);
            text.remove_prefix(1);
            continue;
        }
        // U+0080 to U+009F, the C1 controls, are C2 80 to C2 9F in UTF-8.
        const auto next = static_cast<unsigned char>(length == 2 ? text[1] : 0);
        if (c == 0xC2 && next <= 0x9F) {
            AppendCode(out, "\\u%04X", next);
        } else {
            out.append(text.substr(0, length));
        }
        text.remove_prefix(length);
    }
    return out;
}

}  // namespace kiro
