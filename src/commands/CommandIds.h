#pragma once

// The Conversion Format items' ids stand in the output format table's rows.
#include "conversion/OutputFormats.h"

namespace kiro {

// The main window's command ids: menu items, toolbar buttons, the target bar's
// controls and the keys. The numbers are fixed; help topics and tests refer to them.
enum CommandId : int {
    // File
    kIdConnect = 32771,
    kIdCreateDirectory = 32773,
    kIdDeleteFiles = 32772,
    kIdOpenSpectrumFile = 32810,
    kIdExit = 57665,
    // View
    kIdListLargeIcons = 59409,
    kIdListSmallIcons = 59408,
    kIdListList = 59410,
    kIdListDetails = 59411,
    kIdRefresh = 32783,
    kIdStatusBar = 59393,
    kIdSpectrumPreview = 32811,
    // Conversion
    kIdBrowseTarget = 1001,
    kIdOverwritePrompt = 32802,
    kIdGo = 1003,
    kIdConvertLocalFiles = 32794,
    // Log
    kIdLogEnabled = 32788,
    kIdViewCurrentLog = 32790,
    kIdSetLogFilename = 32791,
    kIdViewStoredLog = 32792,
    kIdClearLog = 32793,
    // Help
    kIdHelpTopics = 57667,
    kIdAbout = 57664,
    kIdContextHelp = 57669,
    // Keys only
    kIdHelp = 57670,
    kIdNextPane = 57680,
    kIdPrevPane = 57681,
    // The spectrum preview's context menu
    kIdPreviewCopy = 32812,
    kIdPreviewSavePng = 32813,
    kIdPreviewSaveSvg = 32814,
    // The target bar's other controls
    kIdTargetEdit = 1000,
    kIdActionList = 1002,
};

// The toolkit takes window and menu ids below 32768 only (on some platforms they travel
// as 16-bit signed numbers), so the windows use each command's id with its top bit
// cleared. The results stay unique: 1000 to 1003, 3 to 46, 24896 to 26643.
constexpr int WxCommandId(int commandId) {
    return commandId & 0x7FFF;
}

}  // namespace kiro
