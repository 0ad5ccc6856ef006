#include "settings/Settings.h"

#include <gtest/gtest.h>

#include "settings/MemorySettingsStore.h"
#include "support/Fakes.h"

namespace kiro {
namespace {

// The frame's side of a close, written into the store's journal so that one list shows
// how the steps and the writes interleave.
class CRecordingCloseSteps final : public IFrameCloseSteps {
public:
    explicit CRecordingCloseSteps(CMemorySettingsStore& store) : m_store(store) {}

    FrameSettings PullSettings() override {
        m_store.journal.push_back("pull");
        return settings;
    }
    void CloseLog() override { m_store.journal.push_back("close log"); }
    SplitterSettings CurrentSplitter() override { return {220, 60}; }
    std::optional<WindowPlacement> CurrentPlacement() override { return placement; }
    void DisconnectIfConnected() override { m_store.journal.push_back("disconnect"); }

    FrameSettings settings;
    std::optional<WindowPlacement> placement;

private:
    CMemorySettingsStore& m_store;
};

TEST(SettingsTest, CloseWritesEverySettingInOrderAndKeepsOnlyTheMaximisedFlag) {
    CMemorySettingsStore store;
    CRecordingCloseSteps steps(store);
    steps.settings = {"/data/out", 4, 2, "/var/log/kiro.log", 3, 0};
    WindowPlacement maximised;
    maximised.flags = 0xFFFF;  // whatever the window reported: only "maximised" is kept
    maximised.showCmd = kShowCmdMaximized;
    maximised.normal = {10, 20, 810, 620};
    steps.placement = maximised;
    store.journal.clear();
    SaveSettingsAtClose(store, steps);
    EXPECT_EQ(store.journal, (std::vector<std::string>{
                                 "pull",
                                 "write Settings/TargetDirectory=/data/out",
                                 "write Settings/DefaultAction=4",
                                 "write Settings/LogEvents=2",
                                 "write Settings/LogFileName=/var/log/kiro.log",
                                 "write Settings/OutputFormat=3",
                                 "write Settings/OverwritePrompt=0",
                                 "close log",
                                 "write Settings/SplitterPos=220",
                                 "write Settings/SplitterMin=60",
                                 "write MainWindowSize/WindowPos=2,3,-1,-1,-1,-1,10,20,810,620",
                                 "disconnect",
                             }));

    // Closing minimised records that, and no "maximised" flag; a placement that cannot
    // be had leaves the stored one alone but everything else is still written.
    steps.placement->showCmd = kShowCmdMinimized;
    SaveSettingsAtClose(store, steps);
    EXPECT_EQ(*store.Find(kSectionMainWindow, kValueWindowPos), "0,2,-1,-1,-1,-1,10,20,810,620");
    steps.placement.reset();
    steps.settings.outputFormat = 1;
    SaveSettingsAtClose(store, steps);
    EXPECT_EQ(*store.Find(kSectionMainWindow, kValueWindowPos), "0,2,-1,-1,-1,-1,10,20,810,620");
    EXPECT_EQ(LoadFrameSettings(store, "").outputFormat, 1);
}

TEST(SettingsTest, TheTargetTextIsKeptAsTypedButBounded) {
    CMemorySettingsStore store;
    CRecordingCloseSteps steps(store);
    // An emptied field is stored empty and read back empty, not as the default.
    steps.settings.targetDirectory = "";
    SaveSettingsAtClose(store, steps);
    EXPECT_EQ(LoadFrameSettings(store, "/home/u/Documents").targetDirectory, "");

    // 258 ASCII bytes, then a 3-byte character that would straddle byte 259: cut before it.
    steps.settings.targetDirectory = std::string(258, 'a') + "\xE2\x82\xAC" + "tail";
    SaveSettingsAtClose(store, steps);
    EXPECT_EQ(LoadFrameSettings(store, "").targetDirectory, std::string(258, 'a'));
    steps.settings.targetDirectory = std::string(256, 'b') + "\xE2\x82\xAC" + "tail";
    SaveSettingsAtClose(store, steps);
    EXPECT_EQ(LoadFrameSettings(store, "").targetDirectory, std::string(256, 'b') + "\xE2\x82\xAC");
}

TEST(SettingsTest, ListStyleAndWidths) {
    CMemorySettingsStore store;
    const std::array<int, 4> defaults = LoadListViewSettings(store).columnWidths;
    const std::array<int, 4> widths{300, 126, 76, 141};

    // Small Icons: the style only; the stored widths stay.
    SaveListViewSettings(store, kListSmallIcons, widths);
    EXPECT_EQ(LoadListViewSettings(store).listType, kListSmallIcons);
    EXPECT_EQ(LoadListViewSettings(store).columnWidths, defaults);
    SaveListViewSettings(store, kListList, widths);
    EXPECT_EQ(LoadListViewSettings(store).columnWidths, widths);

    // Defaults widen for a larger font, never shrink; stored widths stay as stored.
    CMemorySettingsStore fresh;
    EXPECT_EQ(LoadListViewSettings(fresh, 2.0).columnWidths[0], 2 * defaults[0]);
    EXPECT_EQ(LoadListViewSettings(fresh, 0.5).columnWidths, defaults);
    EXPECT_EQ(LoadSplitterSettings(fresh, 2.0).position, 2 * LoadSplitterSettings(fresh).position);
    EXPECT_EQ(LoadListViewSettings(store, 2.0).columnWidths, widths);

    // A style out of range, as only editing the file can make it, gives Large Icons.
    for (const int stored : {4, -1, 7, 1 << 30}) {
        store.WriteInt(kSectionSettings, kValueListType, stored);
        EXPECT_EQ(LoadListViewSettings(store).listType, kListLargeIcons) << stored;
    }
}

}  // namespace
}  // namespace kiro
