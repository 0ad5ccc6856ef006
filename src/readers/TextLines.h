#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kiro {

// The lines of a text file in memory, one after another. The first fault (a NUL byte, a
// line longer than kMaxTextLineBytes, or one the caller finds and reports with Fail)
// ends the reading: from then on Next gives nothing, so no caller reads on past it.
class CTextLines {
public:
    static constexpr std::size_t kMaxTextLineBytes = 4096;

    explicit CTextLines(std::string_view text) : m_rest(text) {}

    // The next line without its end (CR LF or LF); nothing at the end or once failed.
    std::optional<std::string_view> Next();
    // True when every line has been read and nothing failed.
    bool AtEnd() const { return !Failed() && m_rest.empty(); }
    // The number of the line Next gave last, from 1.
    std::size_t LineNumber() const { return m_lineNumber; }

    // Records the fault of the line given last; only the first fault counts.
    void Fail(std::string_view what);
    bool Failed() const { return !m_failure.empty(); }
    // "line 12: not two numbers".
    const std::string& Failure() const { return m_failure; }

private:
    std::string_view m_rest;
    std::size_t m_lineNumber = 0;
    std::string m_failure;
};

// A whole text field as a number, in the "C" locale's form ("-0.250", "1E5", "nan", "inf");
// nothing for anything else, a leading "+" or space included.
std::optional<double> ParseNumber(std::string_view text);

// The text without spaces and tabs at either end.
std::string_view TrimBlanks(std::string_view text);

}  // namespace kiro
