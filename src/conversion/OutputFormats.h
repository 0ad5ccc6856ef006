#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "conversion/DeviceFileRecord.h"
#include "seams/Clock.h"

namespace kiro {

// The output formats, in the order of their stored OutputFormat codes (0, 1, ...).
enum class OutputFormat : unsigned { Tab, Comma, KiroBench, Spc, Jcamp };

// The ids of the Conversion > Conversion Format items; commands/CommandIds.h holds the
// other commands' ids.
enum FormatCommandId : int {
    kIdFormatTab = 32800,
    kIdFormatComma = 32799,
    kIdFormatKiroBench = 32797,
    kIdFormatSpc = 32798,
    kIdFormatJcamp = 32801,
};

// How an output is named after its source's kind: ".scope", or ".Master.scope".
enum class SuffixRule { Plain, KiroBench };

// What a writer is given besides the spectrum.
struct WriterInputs {
    const IClock& clock;          // read by the formats that carry the conversion's date
    std::string_view sourceName;  // the source file's name, without its folder
    std::string_view owner;       // the user the log names, for the formats that name one
};

// Makes the whole output file in memory.
using OutputWriter = std::string (*)(const CDeviceSpectrum& spectrum, const WriterInputs& inputs);
// Why the format cannot hold this spectrum, or nothing when it can.
using OutputRefusal = std::string_view (*)(const CDeviceSpectrum& spectrum);

// Everything that differs from one output format to the next.
struct OutputFormatRow {
    OutputFormat format;
    std::string_view commandLineName;  // kiroconv-cli --format
    std::string_view menuLabel;        // Conversion > Conversion Format
    int commandId;                     // that menu item's command
    std::string_view prompt;           // the status bar's text while the item is pointed at
    SuffixRule suffixRule;
    std::string_view extension;    // added after the kind's suffix
    std::string_view description;  // the conversion's log line: "(a ...)"
    OutputWriter writer;
    OutputRefusal refusal;      // none: every spectrum goes into this format
    std::string_view helpPage;  // the help book's page for the menu item
};

// Every format, in the order of their codes; the Conversion Format menu shows them so.
std::span<const OutputFormatRow> OutputFormats();
const OutputFormatRow& RowOf(OutputFormat format);

// The stored OutputFormat code's format; nothing for a code that names none (only a
// hand-edited setting holds one).
std::optional<OutputFormat> OutputFormatFromCode(long long code);
unsigned OutputFormatCode(OutputFormat format);
// The format a command-line name stands for; nothing for an unknown name.
std::optional<OutputFormat> OutputFormatFromName(std::string_view commandLineName);
// The format whose menu item has this command id; nothing for any other command.
std::optional<OutputFormat> OutputFormatOfCommand(int commandId);

}  // namespace kiro
