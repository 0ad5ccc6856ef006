#pragma once

namespace kiro {

// Whether the window's handheld commands may talk to the handheld.
enum class ConnectState { NotConnected, Connected };

}  // namespace kiro
