#pragma once

#include <optional>
#include <string>

#include "conversion/ConversionContext.h"
#include "conversion/ConversionOutcome.h"
#include "conversion/OutputFormats.h"

namespace kiro {

// ConvertSpectrumFile's result codes. Inside the engine a conversion ends in a
// ConversionOutcome; only ConvertSpectrumFile turns it into one of these.
enum ConvertResult : int {
    kConverted = 0,
    kSourceCannotBeOpened = -1,
    kNotDeviceSpectrum = -2,
    kOutputCannotBeCreated = -3,
    kKindNotConvertible = -4,
    kOverwriteDeclined = -5,
    kUnknownOutputFormat = -6,
};

// Converts one device spectrum file on the PC into the chosen format, next to the
// source (or in the context's output folder), and returns one of the codes above. Never throws:
// every failure is one of the result codes, and only a successful conversion writes its log line.
int ConvertSpectrumFile(const std::string& sourcePath, unsigned outputFormat,
                        const ConversionContext& context);

// The same with a typed outcome, reading the bytes from `readFrom` while the output is
// named after, placed beside and logged as `namedAs` (a transfer converts a copy kept
// under a temporary name). `format` is the one in force; none, for a stored code that
// names no format, fails every conversion as UnknownOutputFormat.
ConversionOutcome ConvertSpectrumFileAs(const std::string& readFrom, const std::string& namedAs,
                                        std::optional<OutputFormat> format,
                                        const ConversionContext& context);

// The first half of a conversion: the source read and checked and the output's bytes
// made in memory. It writes nothing and asks nothing, so a batch may run it on a worker
// thread ahead of the file being finished: of the context it reads only the clock, the
// user's name and the output folder, from that thread.
struct PreparedConversion {
    ConversionOutcome outcome;  // Converted when `bytes` hold the whole output
    bool sourceOpened = false;  // false: refused before the source was opened
    bool contentRead = false;   // false: only checked; FinishConversion reads it
    std::string bytes;
};

PreparedConversion PrepareConversion(const std::string& readFrom, const std::string& namedAs,
                                     std::optional<OutputFormat> format,
                                     const ConversionContext& context);

// Only the checks made before anything is read (format, kind, a source that opens);
// FinishConversion reads the source after its question.
PreparedConversion CheckConversion(const std::string& readFrom, const std::string& namedAs,
                                   std::optional<OutputFormat> format,
                                   const ConversionContext& context);

// The second half, on the caller's thread: the overwrite question, the output written
// atomically and the log line. After a "Yes" the source is read and formatted again, so
// that the output is dated after the answer.
ConversionOutcome FinishConversion(PreparedConversion prepared, const std::string& readFrom,
                                   const std::string& namedAs, std::optional<OutputFormat> format,
                                   const ConversionContext& context);

}  // namespace kiro
