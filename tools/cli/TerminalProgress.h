#pragma once

#include <cstdio>
#include <string>

namespace kiro::cli {

// A one-line progress display on standard error, drawn only when standard error is
// a terminal, so that redirected output stays clean.
class CTerminalProgress {
public:
    explicit CTerminalProgress(std::FILE* stream = stderr);
    ~CTerminalProgress();
    CTerminalProgress(const CTerminalProgress&) = delete;
    CTerminalProgress& operator=(const CTerminalProgress&) = delete;

    void Disable() { m_enabled = false; }
    // "[k/N] label" with an optional bar of the fraction done.
    void Show(std::size_t done, std::size_t total, const std::string& label);
    void ShowBar(const std::string& label, double fraction);
    void Clear();

private:
    void Draw(const std::string& line);

    std::FILE* m_stream;
    bool m_enabled;
    std::size_t m_lastWidth = 0;
};

}  // namespace kiro::cli
