#include "transfer/TransferActions.h"

#include <array>

namespace kiro {
namespace {

constexpr std::array<std::string_view, kActionCount> kActionNames = {
    "Copy Only", "Copy and Convert", "Move Only", "Move and Convert", "Convert Only"};

}  // namespace

std::string_view ActionName(int action) {
    if (action < 0 || action >= kActionCount) {
        return {};
    }
    return kActionNames[static_cast<std::size_t>(action)];
}

std::optional<int> ActionFromName(std::string_view name) {
    for (int action = 0; action < kActionCount; ++action) {
        if (kActionNames[static_cast<std::size_t>(action)] == name) {
            return action;
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
