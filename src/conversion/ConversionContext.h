#pragma once

#include <string>

#include "log/ActivityLog.h"
#include "seams/Clock.h"
#include "seams/MessageBox.h"
#include "seams/UserName.h"

namespace kiro {

// What a conversion does with an output that already exists.
enum class OutputOverwrite { Ask, Replace, Keep };

// The stored OverwritePrompt switch: only exactly 1 asks; any other value replaces.
inline OutputOverwrite OutputOverwriteFromSetting(int overwritePrompt) {
    return overwritePrompt == 1 ? OutputOverwrite::Ask : OutputOverwrite::Replace;
}

// What conversions need from the program around them: the same for every file of a
// batch or a job, so it is made once, where the batch's settings are.
struct ConversionContext {
    ConversionContext(OutputOverwrite existingOutputs, IMessageBox& questions,
                      CActivityLog& activityLog, const IClock& wallClock, const IUserName& userName)
        : overwrite(existingOutputs),
          messageBox(questions),
          log(activityLog),
          clock(wallClock),
          user(userName) {}

    OutputOverwrite overwrite;
    IMessageBox& messageBox;
    CActivityLog& log;
    const IClock& clock;
    const IUserName& user;
    // Where outputs go, under the names they have beside their sources; empty: beside them.
    std::string outputFolder;
};

}  // namespace kiro
