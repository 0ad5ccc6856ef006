#include "cli/JsonText.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "platform/Utf16.h"

namespace kiro::cli {
namespace {

void AppendAsciiEscaped(std::string& out, unsigned char c) {
    switch (c) {
        case '"':
            out += "\\\"";
            return;
        case '\\':
            out += "\\\\";
            return;
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
            break;
    }
    if (c < 0x20 || c == 0x7F) {
        char code[8];
        std::snprintf(code, sizeof code, "\\u%04X", c);
        out += code;
        return;
    }
    out.push_back(static_cast<char>(c));
}

template <typename Number>
void AppendNumber(std::string& out, Number value) {
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    char buffer[32];
    const std::string_view digits(
        buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr - buffer);
    out.append(digits);
    // A whole number still reads as a float, so that a field keeps one type.
    if (digits.find_first_of(".e") == std::string_view::npos) {
        out.append(".0");
    }
}

}  // namespace

void AppendJsonString(std::string& out, std::string_view text) {
    out.push_back('"');
    while (!text.empty()) {
        const auto c = static_cast<unsigned char>(text.front());
        std::size_t used = 1;
        if (c < 0x80) {
            AppendAsciiEscaped(out, c);
        } else if ((used = Utf8SequenceLength(text)) == 2 && c == 0xC2 &&
                   static_cast<unsigned char>(text[1]) <= 0x9F) {
            // The C1 controls are valid JSON raw, but a terminal would act on them.
            char code[8];
            std::snprintf(code, sizeof code, "\\u%04X", static_cast<unsigned char>(text[1]));
            out += code;
        } else if (used != 0) {
            out.append(text.substr(0, used));
        } else {
            out += "\\uFFFD";
            used = 1;
        }
        text.remove_prefix(used);
    }
    out.push_back('"');
}

void AppendJsonNumber(std::string& out, double value) {
    AppendNumber(out, value);
}

void AppendJsonNumber(std::string& out, float value) {
    AppendNumber(out, value);
}

}  // namespace kiro::cli
