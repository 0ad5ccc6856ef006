#include "transfer/TransferActions.h"

#include <array>

namespace kiro {
namespace {

constexpr std::array<TransferActionRow, 5> kActions{{
    {kActionCopyOnly, "Copy Only", "copy", "Copying ", false, false},
    {kActionCopyAndConvert, "Copy and Convert", "copy-convert", "Copying and converting ", true,
     false},
    // Move Only says what it does, rather than borrowing Move and Convert's words.
    {kActionMoveOnly, "Move Only", "move", "Moving ", false, true},
    {kActionMoveAndConvert, "Move and Convert", "move-convert", "Moving and converting ", true,
     true},
    {kActionConvertOnly, "Convert Only", "convert-only", "Copying for conversion ", true, false},
}};

// An action's code is its row's place in the table.
constexpr bool RowsInCodeOrder() {
    for (std::size_t code = 0; code < kActions.size(); ++code) {
        if (static_cast<std::size_t>(kActions[code].action) != code) {
            return false;
        }
    }
    return true;
}
static_assert(RowsInCodeOrder());

}  // namespace

std::span<const TransferActionRow> TransferActions() {
    return kActions;
}

const TransferActionRow& RowOf(TransferAction action) {
    return kActions.at(static_cast<std::size_t>(action));
}

std::optional<TransferAction> TransferActionFromCode(int code) {
    if (code < 0 || code >= static_cast<int>(kActions.size())) {
        return std::nullopt;
    }
    return kActions[static_cast<std::size_t>(code)].action;
}

std::optional<TransferAction> ActionFromName(std::string_view listEntry) {
    for (const TransferActionRow& row : kActions) {
        if (row.listEntry == listEntry) {
            return row.action;
        }
    }
    return std::nullopt;
}

std::optional<TransferAction> ActionFromCommandLineName(std::string_view name) {
    for (const TransferActionRow& row : kActions) {
        if (row.commandLineName == name) {
            return row.action;
        }
    }
    return std::nullopt;
}

bool CheckGo(const IFileList& list, IMessageBox& messageBox) {
    if (list.GetSelectedCount() > 0) {
        return true;
    }
    messageBox.Show({"No files selected to convert.", "", MessageButtons::Ok, MessageAnswer::Ok,
                     MessageOwner::Application});
    return false;
}

}  // namespace kiro
