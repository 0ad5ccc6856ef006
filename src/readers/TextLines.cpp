#include "readers/TextLines.h"

#include <charconv>

namespace kiro {

std::optional<std::string_view> CTextLines::Next() {
    if (Failed() || m_rest.empty()) {
        return std::nullopt;
    }
    ++m_lineNumber;
    const std::size_t end = m_rest.find('\n');
    std::string_view line = m_rest.substr(0, end);
    m_rest.remove_prefix(end == std::string_view::npos ? m_rest.size() : end + 1);
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    if (line.size() > kMaxTextLineBytes) {
        Fail("longer than " + std::to_string(kMaxTextLineBytes) + " bytes");
        return std::nullopt;
    }
    if (line.find('\0') != std::string_view::npos) {
        Fail("a NUL byte, which no text file holds");
        return std::nullopt;
    }
    return line;
}

void CTextLines::Fail(std::string_view what) {
    if (!Failed()) {
        m_failure = "line " + std::to_string(m_lineNumber) + ": " + std::string(what);
    }
}

std::optional<double> ParseNumber(std::string_view text) {
    double value = 0.0;
    const char* const end = text.data() + text.size();
    const std::from_chars_result parsed = std::from_chars(text.data(), end, value);
    if (text.empty() || parsed.ec != std::errc() || parsed.ptr != end) {
        return std::nullopt;
    }
    return value;
}

std::string_view TrimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const std::size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

}  // namespace kiro
