#include "cli/JsonText.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace kiro::cli {
namespace {

// The length of the well-formed UTF-8 sequence at the start of `text`, or 0: no overlong
// forms, no surrogates, nothing beyond U+10FFFF.
std::size_t Utf8SequenceLength(std::string_view text) {
    const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    }
    if (length == 0 || text.size() < length || byte(1) < low || byte(1) > high) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF) {
            return 0;
        }
    }
    return length;
}

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
