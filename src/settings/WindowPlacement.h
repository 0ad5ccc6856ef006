#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kiro {

struct PlacementPoint {
    int x = -1;
    int y = -1;
    bool operator==(const PlacementPoint&) const = default;
};

// A rectangle by its edges; right and bottom lie just outside it.
struct PlacementRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    long long Width() const { return static_cast<long long>(right) - left; }
    long long Height() const { return static_cast<long long>(bottom) - top; }
    bool HasArea() const { return Width() > 0 && Height() > 0; }
    bool operator==(const PlacementRect&) const = default;
};

// Show states as the stored placement records them.
enum PlacementShowCmd : unsigned {
    kShowCmdNormal = 1,
    kShowCmdMinimized = 2,
    kShowCmdMaximized = 3,
};

// The only flag ever written: the window was maximised when it was closed.
inline constexpr unsigned kPlacementRestoreToMaximized = 2;

// The main window's placement: the ten fields of the stored "WindowPos" text.
struct WindowPlacement {
    unsigned flags = 0;
    unsigned showCmd = kShowCmdNormal;
    PlacementPoint minPosition;
    PlacementPoint maxPosition;
    PlacementRect normal;

    bool operator==(const WindowPlacement&) const = default;
};

// Reads "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d" as the C library's scanf would, with one
// difference: a number that does not fit its field is not converted (scanf's result
// would be undefined). Nothing comes back unless all ten fields are converted;
// whatever follows the tenth is ignored.
std::optional<WindowPlacement> ParseWindowPlacement(std::string_view text);

// The text stored as "WindowPos".
std::string FormatWindowPlacement(const WindowPlacement& placement);

enum class WindowShowState { Normal, Minimized, Maximized };

// How a stored show command shows the window. Show commands that would hide it, or
// that are unknown, show it normally, so that the window can never start invisible.
WindowShowState ShowStateOf(unsigned showCmd);

// The state a start ends in: maximised when the window was closed maximised, or
// minimised from maximised; otherwise normal. The program never starts minimised.
WindowShowState StartupShowState(const WindowPlacement& placement);

// Where a stored normal rectangle goes on the current screens (their work areas).
// A window whose title strip shows on no screen is moved, and shrunk if need be, onto
// the screen it overlaps most (else the first one), so it can always be reached.
// Without screens the rectangle is kept as it is.
PlacementRect BringIntoView(const PlacementRect& rect, const std::vector<PlacementRect>& screens);

}  // namespace kiro
