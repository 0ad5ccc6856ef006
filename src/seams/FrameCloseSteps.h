#pragma once

#include <optional>

namespace kiro {

// The values the close steps hand over; settings/Settings.h defines them, and whatever
// takes or gives them includes it.
struct FrameSettings;
struct SplitterSettings;
struct WindowPlacement;

// What the frame does while it closes, step by step, in the order of the saves.
class IFrameCloseSteps {
public:
    virtual ~IFrameCloseSteps() = default;
    // The frame's settings, the target text read back from the target bar.
    virtual FrameSettings PullSettings() = 0;
    virtual void CloseLog() = 0;
    virtual SplitterSettings CurrentSplitter() = 0;
    // The window's placement now, or nothing when it cannot be had.
    virtual std::optional<WindowPlacement> CurrentPlacement() = 0;
    // Ends the connection to the handheld when one is up.
    virtual void DisconnectIfConnected() = 0;
};

}  // namespace kiro
