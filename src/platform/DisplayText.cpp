#include "platform/DisplayText.h"

#include <cstdio>

namespace kiro {
namespace {

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
        default: {
            char code[8];
            std::snprintf(code, sizeof code, "\\x%02X", c);
            out += code;
        }
    }
}

}  // namespace

std::string EscapeControlCharacters(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7F) {
            AppendEscaped(out, c);
            continue;
        }
        // U+0080 to U+009F, the C1 controls, are C2 80 to C2 9F in UTF-8.
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (c == 0xC2 && next >= 0x80 && next <= 0x9F) {
            char code[8];
            std::snprintf(code, sizeof code, "\\u%04X", next);
            out += code;
            ++i;
            continue;
        }
        out.push_back(static_cast<char>(c));
    }
    return out;
}

}  // namespace kiro
