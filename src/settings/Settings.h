#pragma once

#include <array>
#include <optional>
#include <string>

#include "seams/FrameCloseSteps.h"
#include "seams/SettingsStore.h"
#include "settings/WindowPlacement.h"

namespace kiro {

// Sections and value names of everything the program keeps between runs.
inline constexpr const char* kSectionSettings = "Settings";
inline constexpr const char* kSectionMainWindow = "MainWindowSize";

inline constexpr const char* kValueTargetDirectory = "TargetDirectory";
inline constexpr const char* kValueDefaultAction = "DefaultAction";
inline constexpr const char* kValueLogEvents = "LogEvents";
inline constexpr const char* kValueLogFileName = "LogFileName";
inline constexpr const char* kValueOutputFormat = "OutputFormat";
inline constexpr const char* kValueOverwritePrompt = "OverwritePrompt";
inline constexpr const char* kValueSplitterPos = "SplitterPos";
inline constexpr const char* kValueSplitterMin = "SplitterMin";
inline constexpr const char* kValueListType = "ListType";
inline constexpr const char* kValueFilenameWidth = "FilenameWidth";
inline constexpr const char* kValueTypeWidth = "TypeWidth";
inline constexpr const char* kValueSizeWidth = "SizeWidth";
inline constexpr const char* kValueModifiedWidth = "ModifiedWidth";
inline constexpr const char* kValueWindowPos = "WindowPos";
inline constexpr const char* kValueShowPreview = "ShowPreview";
inline constexpr const char* kValuePreviewSash = "PreviewSash";

// The stored target text is cut to this many bytes (at a character boundary).
inline constexpr std::size_t kMaxTargetDirectoryBytes = 259;

// The six settings the main frame holds.
struct FrameSettings {
    std::string targetDirectory;
    int defaultAction = 0;
    int logEvents = 0;
    std::string logFileName = "LogFile.log";
    int outputFormat = 0;
    int overwritePrompt = 1;
};

struct SplitterSettings {
    int position = 150;
    int minimum = 50;
};

// List styles in the order of the stored ListType.
enum ListStyle : int {
    kListLargeIcons = 0,
    kListDetails = 1,
    kListSmallIcons = 2,
    kListList = 3,
};

// The spectrum preview below the file list: off by default; a sash position of 0 splits
// the list's pane in half.
struct PreviewSettings {
    bool show = false;
    int sashPosition = 0;
    bool stored = false;  // either value was in the store
};
PreviewSettings LoadPreviewSettings(const ISettingsStore& store);
// Writes both values, unless neither was stored and both still hold their defaults: a
// settings file of a run that never used the preview stays as it was.
void SavePreviewSettings(ISettingsStore& store, const PreviewSettings& settings);

struct ListViewSettings {
    int listType = kListLargeIcons;
    std::array<int, 4> columnWidths{150, 125, 75, 140};
};

// Reads the six frame settings in the order the frame loads them. The default of the
// target directory is the platform's, so the caller gives it.
FrameSettings LoadFrameSettings(const ISettingsStore& store,
                                const std::string& defaultTargetDirectory);
// The default widths are pixels of the original 8-point font, whose characters are 6
// pixels wide on average; `defaultScale` (the font's average width / 6) widens them
// for a larger font, so that first-run texts are not cut off. Stored widths are used
// as stored.
inline constexpr int kOriginalAverageCharWidth = 6;
SplitterSettings LoadSplitterSettings(const ISettingsStore& store, double defaultScale = 1.0);
// A stored ListType outside 0 to 3 gives Large Icons.
ListViewSettings LoadListViewSettings(const ISettingsStore& store, double defaultScale = 1.0);
// Writes ListType, and the column widths only in the Details and List styles.
void SaveListViewSettings(ISettingsStore& store, int listType,
                          const std::array<int, 4>& columnWidths);

// The stored placement, or nothing when it is missing or does not hold ten fields.
std::optional<WindowPlacement> LoadWindowPlacement(const ISettingsStore& store);
void SaveWindowPlacement(ISettingsStore& store, const WindowPlacement& placement);

// Saves every frame setting in order: the six settings, then the log is closed, then
// the splitter, then the placement (flags say only whether it was maximised), and last
// the handheld is let go.
void SaveSettingsAtClose(ISettingsStore& store, IFrameCloseSteps& steps);

}  // namespace kiro
