#pragma once

#include <string>

#include "devicelink/DeviceLink.h"
#include "platform/rapi/LinkFault.h"
#include "seams/MessageBox.h"

namespace kiro {

// The box the user sees when Connect fails, for each way it fails (time-out, general
// failure, already initialised): its text, caption and owner. The time-out box
// belongs to the main window with its own caption; the others are the application's
// box. A remote API library that is not installed (Windows) is said as the remote API
// says it (`problem`), in a box like the time-out's.
MessageBoxRequest ConnectFailureMessage(ConnectOutcome outcome,
                                        rapi::LinkFault fault = rapi::LinkFault::None,
                                        const std::string& problem = "");

// Shown when the handheld goes away while connected.
inline constexpr const char* kConnectionLostText = "The connection to the Kiro-SCAN was lost.";
// Shown when a handheld took the connection but did not greet within the wait.
inline constexpr const char* kNoAnswerInTimeText = "The Kiro-SCAN did not answer in time.";

// What the user is told when the connection broke: a reply that could not be read
// is named as such rather than as a loss.
std::string ConnectionLostText(const std::string& cause);

}  // namespace kiro
