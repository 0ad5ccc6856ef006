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
    switch (file.status) {
        case CopyStatus::Copied:
            return PlotSourceFromBytes(name, file.bytes.data(), file.bytes.size());
        case CopyStatus::ConnectionLost:
            return {shown, {}, std::nullopt, kConnectionLostText};
        case CopyStatus::NotConnected:
            return {shown, {}, std::nullopt, "The Kiro-SCAN is not connected."};
        default:
            return {shown, {}, std::nullopt, unreadable};
    }
}

}  // namespace

std::vector<PlotSource> ReadSelectedHandheldFiles(CDeviceLink& link, const IDeviceTree& tree,
                                                  const IFileList& list) {
    std::vector<PlotSource> sources;
    const std::optional<DeviceFolder> folder = link.SelectedFolder(tree);
    if (!folder) {
        return sources;
    }
    for (int item = list.GetNextSelectedItem(-1); item >= 0 && sources.size() < kMaxOverlaidSpectra;
         item = list.GetNextSelectedItem(item)) {
        sources.push_back(ReadOne(link, folder->wide, list.GetItemText(item, 0)));
        if (link.ConnectionLost()) {
            break;
        }
    }
    return sources;
}

}  // namespace kiro
