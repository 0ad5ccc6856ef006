#pragma once

#include "platform/MessageBox.h"

namespace kiro {

// The box the user sees when Connect fails, for each of its failure results (time-out,
// general failure, already initialised): its text, caption and owner. The time-out
// box belongs to the main window with its own caption; the others are the
// application's box.
MessageBoxRequest ConnectFailureMessage(int connectResult);

// Shown when the handheld goes away while connected.
inline constexpr const char* kConnectionLostText = "The connection to the Kiro-SCAN was lost.";

}  // namespace kiro
