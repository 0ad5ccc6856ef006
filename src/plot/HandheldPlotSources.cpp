#include "plot/HandheldPlotSources.h"

#include "devicelink/ConnectionTexts.h"
#include "platform/DisplayText.h"
#include "platform/Utf16.h"

namespace kiro {

namespace {

PlotSource ReadOne(CDeviceLink& link, const std::u16string& folder, const std::string& name) {
    const std::string shown = EscapeControlCharacters(name);
    const std::string unreadable = shown + ": cannot be read from the Kiro-SCAN";
    const std::optional<std::u16string> wideName = Utf8ToUtf16(name);
    if (!wideName) {
        return {shown, {}, std::nullopt, unreadable};
    }
    const CDeviceLink::DeviceFileBytes file =
        link.ReadFileToMemory(folder, *wideName, kMaxPreviewBytes);
    if (file.result == kTransferConnectionLost) {
        return {shown, {}, std::nullopt, kConnectionLostText};
    }
    if (file.result == 0 && !link.IsConnected()) {
        return {shown, {}, std::nullopt, "The Kiro-SCAN is not connected."};
    }
    if (file.result < 0) {
        return {shown, {}, std::nullopt, unreadable};
    }
    return PlotSourceFromBytes(name, file.bytes.data(), file.bytes.size());
}

}  // namespace

std::vector<PlotSource> ReadSelectedHandheldFiles(CDeviceLink& link, const IDeviceTree& tree,
                                                  const IFileList& list) {
    std::vector<PlotSource> sources;
    std::u16string folder;
    if (link.GetSelectedFolderPath(tree, &folder, nullptr) == 0) {
        return sources;
    }
    for (int item = list.GetNextSelectedItem(-1); item >= 0 && sources.size() < kMaxOverlaidSpectra;
         item = list.GetNextSelectedItem(item)) {
        sources.push_back(ReadOne(link, folder, list.GetItemText(item, 0)));
        if (link.ConnectionLost()) {
            break;
        }
    }
    return sources;
}

}  // namespace kiro
