#pragma once

#include <string>

#include "log/ActivityLog.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "platform/UserName.h"

namespace kiro {

enum ConvertResult : int {
    kConverted = 0,
    kSourceCannotBeOpened = -1,
    kNotDeviceSpectrum = -2,
    kOutputCannotBeCreated = -3,
    kKindNotConvertible = -4,
    kOverwriteDeclined = -5,
    kUnknownOutputFormat = -6,
};

// What a conversion does with an output that already exists.
enum class OutputOverwrite { Ask, Replace, Keep };

// The stored OverwritePrompt switch: only exactly 1 asks; any other value replaces.
inline OutputOverwrite OutputOverwriteFromSetting(int overwritePrompt) {
    return overwritePrompt == 1 ? OutputOverwrite::Ask : OutputOverwrite::Replace;
}

// What one conversion needs from its caller; the settings are read at each call.
struct ConversionContext {
    OutputOverwrite overwrite = OutputOverwrite::Replace;
    IMessageBox& messageBox;
    CActivityLog& log;
    const IClock& clock;
    const IUserName& user;
    // When given, receives the system's reason (an errno value) for results -1 and
    // -3, and 0 otherwise.
    int* systemError = nullptr;
};

// Converts one device spectrum file on the PC into the chosen format, next to the
// source. Never throws: every failure is one of the result codes, and only a
// successful conversion writes its log line.
int ConvertSpectrumFile(const std::string& sourcePath, unsigned outputFormat,
                        const ConversionContext& context);

// The same, reading the bytes from `readFrom` while the output is named after, placed
// beside and logged as `namedAs`: a transfer that converts a copy kept under a
// temporary name.
int ConvertSpectrumFileAs(const std::string& readFrom, const std::string& namedAs,
                          unsigned outputFormat, const ConversionContext& context);

// The first half of a conversion: the source read and checked and the output's bytes
// made in memory. It writes nothing and asks nothing, so a batch may run it on a worker
// thread ahead of the file being finished (the clock is read from that thread).
struct PreparedConversion {
    int result = kConverted;    // kConverted when `bytes` hold the whole output
    int systemError = 0;        // the system's reason for kSourceCannotBeOpened
    bool sourceOpened = false;  // false: refused before the source was opened
    bool contentRead = false;   // false: only checked; FinishConversion reads it
    std::string outputPath;
    std::string bytes;
};

PreparedConversion PrepareConversion(const std::string& readFrom, const std::string& namedAs,
                                     unsigned outputFormat, const IClock& clock);

// Only the checks made before anything is read (format, kind, a source that opens);
// FinishConversion reads the source after its question.
PreparedConversion CheckConversion(const std::string& readFrom, const std::string& namedAs,
                                   unsigned outputFormat);

// The second half, on the caller's thread: the overwrite question, the output written
// atomically and the log line. After a "Yes" the source is read and formatted again, so
// that the output is dated after the answer. Returns what ConvertSpectrumFileAs returns.
int FinishConversion(PreparedConversion prepared, const std::string& readFrom,
                     const std::string& namedAs, unsigned outputFormat,
                     const ConversionContext& context);

// A short English reason for a result code, for reports to the user.
const char* DescribeConvertResult(int result);
// The same, with the system's reason appended when there is one ("cannot create the
// output file: No space left on device").
std::string DescribeConvertResult(int result, int systemError);

}  // namespace kiro
