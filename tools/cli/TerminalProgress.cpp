#include "cli/TerminalProgress.h"

#include <algorithm>

#include "platform/DisplayText.h"
#include "platform/Terminal.h"
#include "platform/UserName.h"

namespace kiro::cli {
namespace {

constexpr std::size_t kMaxLineWidth = 78;
constexpr int kBarWidth = 30;

}  // namespace

CTerminalProgress::CTerminalProgress(std::FILE* stream)
    : m_stream(stream), m_enabled(IsTerminal(stream)) {}

CTerminalProgress::~CTerminalProgress() {
    Clear();
}

void CTerminalProgress::Show(std::size_t done, std::size_t total, const std::string& label) {
    Draw("[" + std::to_string(done) + "/" + std::to_string(total) + "] " + label);
}

void CTerminalProgress::ShowBar(const std::string& label, double fraction) {
    fraction = std::clamp(fraction, 0.0, 1.0);
    const int filled = static_cast<int>(fraction * kBarWidth + 0.5);
    std::string bar = "[" + std::string(static_cast<std::size_t>(filled), '#') +
                      std::string(static_cast<std::size_t>(kBarWidth - filled), '.') + "] ";
    bar += std::to_string(static_cast<int>(fraction * 100.0 + 0.5)) + "% " + label;
    Draw(bar);
}

void CTerminalProgress::Draw(const std::string& line) {
    if (!m_enabled) {
        return;
    }
    // The line carries a file name, which must not drive the terminal; it is cut between
    // characters, never inside one.
    std::string shown = TruncateUtf8(EscapeControlCharacters(line), kMaxLineWidth);
    const std::size_t width = shown.size();
    if (width < m_lastWidth) {
        shown.append(m_lastWidth - width, ' ');
    }
    m_lastWidth = width;
    std::fprintf(m_stream, "\r%s", shown.c_str());
    std::fflush(m_stream);
}

void CTerminalProgress::Clear() {
    if (!m_enabled || m_lastWidth == 0) {
        return;
    }
    std::fprintf(m_stream, "\r%s\r", std::string(m_lastWidth, ' ').c_str());
    std::fflush(m_stream);
    m_lastWidth = 0;
}

}  // namespace kiro::cli
