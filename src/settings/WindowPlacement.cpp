#include "settings/WindowPlacement.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <limits>

namespace kiro {

namespace {

// Reads one scanf-style integer field at `pos`: leading white space, an optional sign,
// then decimal digits. Once a field fails the reader stays failed.
class CFieldReader {
public:
    explicit CFieldReader(std::string_view text) : m_text(text) {}

    bool Literal(char c) {
        if (m_failed || m_pos >= m_text.size() || m_text[m_pos] != c) {
            return Fail();
        }
        ++m_pos;
        return true;
    }

    std::optional<int> Signed() {
        const auto value = Number(static_cast<std::uint64_t>(std::numeric_limits<int>::max()) + 1);
        if (!value) {
            return std::nullopt;
        }
        const auto [negative, magnitude] = *value;
        if (!negative && magnitude > static_cast<std::uint64_t>(std::numeric_limits<int>::max())) {
            Fail();
            return std::nullopt;
        }
        const long long signedValue =
            negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
        return static_cast<int>(signedValue);
    }

    // As scanf's %u: a minus sign negates modulo 2^32.
    std::optional<unsigned> Unsigned() {
        const auto value = Number(std::numeric_limits<unsigned>::max());
        if (!value) {
            return std::nullopt;
        }
        const auto [negative, magnitude] = *value;
        const auto bits = static_cast<std::uint32_t>(magnitude);
        return negative ? static_cast<unsigned>(0u - bits) : static_cast<unsigned>(bits);
    }

private:
    struct Magnitude {
        bool negative;
        std::uint64_t value;
    };

    std::optional<Magnitude> Number(std::uint64_t limit) {
        if (m_failed) {
            return std::nullopt;
        }
        while (m_pos < m_text.size() && IsSpace(m_text[m_pos])) {
            ++m_pos;
        }
        bool negative = false;
        if (m_pos < m_text.size() && (m_text[m_pos] == '+' || m_text[m_pos] == '-')) {
            negative = m_text[m_pos] == '-';
            ++m_pos;
        }
        std::uint64_t value = 0;
        std::size_t digits = 0;
        while (m_pos < m_text.size() && m_text[m_pos] >= '0' && m_text[m_pos] <= '9') {
            value = value * 10 + static_cast<std::uint64_t>(m_text[m_pos] - '0');
            if (value > limit) {
                Fail();
                return std::nullopt;
            }
            ++m_pos;
            ++digits;
        }
        if (digits == 0) {
            Fail();
            return std::nullopt;
        }
        return Magnitude{negative, value};
    }

    static bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

    bool Fail() {
        m_failed = true;
        return false;
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
    bool m_failed = false;
};

bool Intersects(long long aLow, long long aHigh, long long bLow, long long bHigh,
                long long wanted) {
    return std::min(aHigh, bHigh) - std::max(aLow, bLow) >= wanted;
}

long long OverlapArea(const PlacementRect& a, const PlacementRect& b) {
    const long long w = std::min<long long>(a.right, b.right) - std::max<long long>(a.left, b.left);
    const long long h = std::min<long long>(a.bottom, b.bottom) - std::max<long long>(a.top, b.top);
    return w > 0 && h > 0 ? w * h : 0;
}

// The title strip: the top rows of the window, where it is grabbed to be moved.
constexpr long long kTitleStripHeight = 24;
constexpr long long kGrabWidth = 48;

bool TitleStripShows(const PlacementRect& rect, const PlacementRect& screen) {
    const long long stripHeight = std::min(rect.Height(), kTitleStripHeight);
    const long long grabWidth = std::min(rect.Width(), kGrabWidth);
    return rect.top >= screen.top && rect.top + stripHeight <= screen.bottom &&
           Intersects(rect.left, rect.right, screen.left, screen.right, grabWidth);
}

// Shifts [low, low + length) into [areaLow, areaHigh), shrinking it when it is longer.
std::pair<int, int> FitSpan(long long low, long long length, int areaLow, int areaHigh) {
    const long long areaLength = static_cast<long long>(areaHigh) - areaLow;
    length = std::min(length, areaLength);
    low = std::clamp(low, static_cast<long long>(areaLow), areaHigh - length);
    return {static_cast<int>(low), static_cast<int>(low + length)};
}

}  // namespace

std::optional<WindowPlacement> ParseWindowPlacement(std::string_view text) {
    CFieldReader reader(text);
    WindowPlacement placement;
    const auto flags = reader.Unsigned();
    const auto showCmd = reader.Literal(',') ? reader.Unsigned() : std::nullopt;
    std::array<int, 8> fields{};
    for (int& field : fields) {
        const auto value = reader.Literal(',') ? reader.Signed() : std::nullopt;
        if (!value) {
            return std::nullopt;
        }
        field = *value;
    }
    if (!flags || !showCmd) {
        return std::nullopt;
    }
    placement.flags = *flags;
    placement.showCmd = *showCmd;
    placement.minPosition = {fields[0], fields[1]};
    placement.maxPosition = {fields[2], fields[3]};
    placement.normal = {fields[4], fields[5], fields[6], fields[7]};
    return placement;
}

std::string FormatWindowPlacement(const WindowPlacement& p) {
    std::array<char, 160> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d", p.flags, p.showCmd,
                  p.minPosition.x, p.minPosition.y, p.maxPosition.x, p.maxPosition.y, p.normal.left,
                  p.normal.top, p.normal.right, p.normal.bottom);
    return buffer.data();
}

WindowShowState ShowStateOf(unsigned showCmd) {
    switch (showCmd) {
        case kShowCmdMinimized:
        case 6:  // minimise
        case 7:  // minimised, not activated
            return WindowShowState::Minimized;
        case kShowCmdMaximized:
            return WindowShowState::Maximized;
        default:
            return WindowShowState::Normal;
    }
}

WindowShowState StartupShowState(const WindowPlacement& placement) {
    switch (ShowStateOf(placement.showCmd)) {
        case WindowShowState::Maximized:
            return WindowShowState::Maximized;
        case WindowShowState::Minimized:
            return (placement.flags & kPlacementRestoreToMaximized) != 0
                       ? WindowShowState::Maximized
                       : WindowShowState::Normal;
        default:
            return WindowShowState::Normal;
    }
}

PlacementRect BringIntoView(const PlacementRect& rect, const std::vector<PlacementRect>& screens) {
    if (screens.empty()) {
        return rect;
    }
    for (const PlacementRect& screen : screens) {
        if (TitleStripShows(rect, screen)) {
            return rect;
        }
    }
    const PlacementRect* target = &screens.front();
    long long bestArea = 0;
    for (const PlacementRect& screen : screens) {
        const long long area = OverlapArea(rect, screen);
        if (area > bestArea) {
            bestArea = area;
            target = &screen;
        }
    }
    const auto [left, right] = FitSpan(rect.left, rect.Width(), target->left, target->right);
    const auto [top, bottom] = FitSpan(rect.top, rect.Height(), target->top, target->bottom);
    return {left, top, right, bottom};
}

}  // namespace kiro
