#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "devicelink/ConnectState.h"
#include "seams/DeviceControls.h"
#include "seams/MessageBox.h"

namespace kiro {

// The actions of a transfer job; the stored DefaultAction code and the index of the
// target bar's action list.
enum TransferAction : int {
    kActionCopyOnly = 0,
    kActionCopyAndConvert = 1,
    kActionMoveOnly = 2,
    kActionMoveAndConvert = 3,
    kActionConvertOnly = 4,
};

// Everything that differs from one action to the next.
struct TransferActionRow {
    TransferAction action;
    std::string_view listEntry;        // the target bar's action list: "Copy Only"
    std::string_view commandLineName;  // kiroconv-cli transfer --action
    std::string_view copyVerb;         // the job's status text while the file is copied
    bool converts;                     // the copy is converted
    bool deletesOnHandheld;            // the handheld's file is deleted after its copy
};

// Every action, in the order of their codes.
std::span<const TransferActionRow> TransferActions();
const TransferActionRow& RowOf(TransferAction action);

// The stored DefaultAction code's action; nothing for a code that names none (only a
// hand-edited setting holds one).
std::optional<TransferAction> TransferActionFromCode(int code);
// The action of an action list entry, compared exactly; nothing when none matches.
std::optional<TransferAction> ActionFromName(std::string_view listEntry);
std::optional<TransferAction> ActionFromCommandLineName(std::string_view name);

inline bool IsMoveAction(TransferAction action) {
    return RowOf(action).deletesOnHandheld;
}
inline bool ConvertsFiles(TransferAction action) {
    return RowOf(action).converts;
}

// Go is enabled exactly while connected (state 0) with at least one file selected.
inline bool IsGoEnabled(ConnectState connectState, int selectedCount) {
    return connectState == ConnectState::Connected && selectedCount > 0;
}

// What Go checks before it starts a job: with nothing selected it says so in the
// application's box and refuses.
bool CheckGo(const IFileList& list, IMessageBox& messageBox);

}  // namespace kiro
