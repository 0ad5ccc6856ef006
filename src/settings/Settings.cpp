#include "settings/Settings.h"

#include <algorithm>
#include <cmath>

#include "platform/UserName.h"

namespace kiro {

namespace {

constexpr std::array<const char*, 4> kColumnWidthValues{kValueFilenameWidth, kValueTypeWidth,
                                                        kValueSizeWidth, kValueModifiedWidth};

int ReadSetting(const ISettingsStore& store, const char* name, int defaultValue) {
    return store.ReadInt(kSectionSettings, name, defaultValue).value;
}

int Scaled(int pixels, double scale) {
    return static_cast<int>(std::lround(pixels * std::max(scale, 1.0)));
}

}  // namespace

FrameSettings LoadFrameSettings(const ISettingsStore& store,
                                const std::string& defaultTargetDirectory) {
    const FrameSettings defaults;
    FrameSettings settings;
    settings.targetDirectory =
        store.ReadString(kSectionSettings, kValueTargetDirectory, defaultTargetDirectory).value;
    settings.defaultAction = ReadSetting(store, kValueDefaultAction, defaults.defaultAction);
    settings.logEvents = ReadSetting(store, kValueLogEvents, defaults.logEvents);
    settings.logFileName =
        store.ReadString(kSectionSettings, kValueLogFileName, defaults.logFileName).value;
    settings.outputFormat = ReadSetting(store, kValueOutputFormat, defaults.outputFormat);
    settings.overwritePrompt = ReadSetting(store, kValueOverwritePrompt, defaults.overwritePrompt);
    return settings;
}

SplitterSettings LoadSplitterSettings(const ISettingsStore& store, double defaultScale) {
    const SplitterSettings defaults;
    return {ReadSetting(store, kValueSplitterPos, Scaled(defaults.position, defaultScale)),
            ReadSetting(store, kValueSplitterMin, Scaled(defaults.minimum, defaultScale))};
}

ListViewSettings LoadListViewSettings(const ISettingsStore& store, double defaultScale) {
    ListViewSettings settings;
    const int listType = ReadSetting(store, kValueListType, settings.listType);
    settings.listType =
        listType >= kListLargeIcons && listType <= kListList ? listType : kListLargeIcons;
    for (std::size_t column = 0; column < kColumnWidthValues.size(); ++column) {
        settings.columnWidths[column] = ReadSetting(
            store, kColumnWidthValues[column], Scaled(settings.columnWidths[column], defaultScale));
    }
    return settings;
}

void SaveListViewSettings(ISettingsStore& store, int listType,
                          const std::array<int, 4>& columnWidths) {
    store.WriteInt(kSectionSettings, kValueListType, listType);
    if (listType != kListDetails && listType != kListList) {
        return;
    }
    for (std::size_t column = 0; column < kColumnWidthValues.size(); ++column) {
        store.WriteInt(kSectionSettings, kColumnWidthValues[column], columnWidths[column]);
    }
}

PreviewSettings LoadPreviewSettings(const ISettingsStore& store) {
    const auto show = store.ReadInt(kSectionSettings, kValueShowPreview, 0);
    const auto sash = store.ReadInt(kSectionSettings, kValuePreviewSash, 0);
    // Like the other switches, only exactly 1 turns it on.
    return {show.value == 1, std::max(0, sash.value), show.existed || sash.existed};
}

void SavePreviewSettings(ISettingsStore& store, const PreviewSettings& settings) {
    if (!settings.stored && settings.show == PreviewSettings{}.show &&
        settings.sashPosition == PreviewSettings{}.sashPosition) {
        return;
    }
    store.WriteInt(kSectionSettings, kValueShowPreview, settings.show ? 1 : 0);
    store.WriteInt(kSectionSettings, kValuePreviewSash, settings.sashPosition);
}

std::optional<WindowPlacement> LoadWindowPlacement(const ISettingsStore& store) {
    const std::string text = store.ReadString(kSectionMainWindow, kValueWindowPos, "").value;
    if (text.empty()) {
        return std::nullopt;
    }
    return ParseWindowPlacement(text);
}

void SaveWindowPlacement(ISettingsStore& store, const WindowPlacement& placement) {
    store.WriteString(kSectionMainWindow, kValueWindowPos, FormatWindowPlacement(placement));
}

void SaveSettingsAtClose(ISettingsStore& store, IFrameCloseSteps& steps) {
    const FrameSettings settings = steps.PullSettings();
    store.WriteString(kSectionSettings, kValueTargetDirectory,
                      TruncateUtf8(settings.targetDirectory, kMaxTargetDirectoryBytes));
    store.WriteInt(kSectionSettings, kValueDefaultAction, settings.defaultAction);
    store.WriteInt(kSectionSettings, kValueLogEvents, settings.logEvents);
    store.WriteString(kSectionSettings, kValueLogFileName, settings.logFileName);
    store.WriteInt(kSectionSettings, kValueOutputFormat, settings.outputFormat);
    store.WriteInt(kSectionSettings, kValueOverwritePrompt, settings.overwritePrompt);
    steps.CloseLog();
    const SplitterSettings splitter = steps.CurrentSplitter();
    store.WriteInt(kSectionSettings, kValueSplitterPos, splitter.position);
    store.WriteInt(kSectionSettings, kValueSplitterMin, splitter.minimum);
    if (std::optional<WindowPlacement> placement = steps.CurrentPlacement()) {
        placement->flags =
            placement->showCmd == kShowCmdMaximized ? kPlacementRestoreToMaximized : 0;
        SaveWindowPlacement(store, *placement);
    }
    steps.DisconnectIfConnected();
}

}  // namespace kiro
