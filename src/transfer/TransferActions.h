#pragma once

#include <optional>
#include <string_view>

#include "devicelink/ConnectState.h"
#include "devicelink/DeviceControls.h"
#include "platform/MessageBox.h"

namespace kiro {

// The action codes, which are also the indices of the target bar's action list.
enum TransferAction : int {
    kActionCopyOnly = 0,
    kActionCopyAndConvert = 1,
    kActionMoveOnly = 2,
    kActionMoveAndConvert = 3,
    kActionConvertOnly = 4,
};

inline constexpr int kActionCount = 5;

// "Copy Only" ... "Convert Only"; empty for an unknown code.
std::string_view ActionName(int action);
// The code of an action list entry, compared exactly; nothing when none matches.
std::optional<int> ActionFromName(std::string_view name);

inline bool IsMoveAction(int action) {
    return action == kActionMoveOnly || action == kActionMoveAndConvert;
}
inline bool ConvertsFiles(int action) {
    return action == kActionCopyAndConvert || action == kActionMoveAndConvert ||
           action == kActionConvertOnly;
}

// Go is enabled exactly while connected (state 0) with at least one file selected.
inline bool IsGoEnabled(ConnectState connectState, int selectedCount) {
    return connectState == ConnectState::Connected && selectedCount > 0;
}

// What Go checks before it starts a job: with nothing selected it says so in the
// application's box and refuses.
bool CheckGo(const IFileList& list, IMessageBox& messageBox);

}  // namespace kiro
