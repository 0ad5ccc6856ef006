#include "conversion/OutputFormats.h"

#include <array>
#include <vector>

#include "conversion/DelimitedAsciiWriter.h"
#include "conversion/JcampWriter.h"
#include "conversion/KiroBenchWriter.h"
#include "conversion/SpcWriter.h"

namespace kiro {
namespace {

constexpr const char* kFormatHelpPage = "menu_conversion.html#format";

std::string WriteSpc(const CDeviceSpectrum& spectrum, const WriterInputs& inputs) {
    const std::vector<unsigned char> file = FormatSpcFile(spectrum, inputs.clock.LocalNow());
    return std::string(file.begin(), file.end());
}

// Tab and Comma had no prompt of their own; a blank status bar under the pointer told
// the user nothing.
constexpr std::array<OutputFormatRow, 5> kFormats{{
    {OutputFormat::Tab, "tab", "&Tab-delimited", kIdFormatTab,
     "Converts file to a tab-delimited ASCII file", SuffixRule::Plain, "",
     "Tab-delimited ASCII File",
     [](const CDeviceSpectrum& spectrum, const WriterInputs&) {
         return FormatDelimitedAscii(spectrum, '\t');
     },
     nullptr, kFormatHelpPage},
    {OutputFormat::Comma, "comma", "Comma-delimited", kIdFormatComma,
     "Converts file to a comma-delimited ASCII file", SuffixRule::Plain, "",
     "Comma-delimited ASCII File",
     [](const CDeviceSpectrum& spectrum, const WriterInputs&) {
         return FormatDelimitedAscii(spectrum, ',');
     },
     nullptr, kFormatHelpPage},
    {OutputFormat::KiroBench, "kirobench", "&KiroBench", kIdFormatKiroBench,
     "Converts file to an KiroBench data file", SuffixRule::KiroBench, "", "KiroBench Data File",
     [](const CDeviceSpectrum& spectrum, const WriterInputs& inputs) {
         return FormatKiroBenchFile(spectrum, inputs.clock.LocalNow());
     },
     nullptr, kFormatHelpPage},
    {OutputFormat::Spc, "spc", "Grams/32 SPC", kIdFormatSpc,
     "Converts file to Grams/32-compatible SPC file", SuffixRule::Plain, ".spc",
     "Grams/32-compatible SPC File", WriteSpc, nullptr, kFormatHelpPage},
    {OutputFormat::Jcamp, "jcamp", "&JCAMP-DX", kIdFormatJcamp, "Converts file to a JCAMP-DX file",
     SuffixRule::Plain, ".jdx", "JCAMP-DX File",
     [](const CDeviceSpectrum& spectrum, const WriterInputs& inputs) {
         return FormatJcampFile(spectrum, inputs.sourceName, inputs.owner);
     },
     JcampRefusal, kFormatHelpPage},
}};

// A format's code is its row's place in the table.
constexpr bool RowsInCodeOrder() {
    for (std::size_t code = 0; code < kFormats.size(); ++code) {
        if (static_cast<std::size_t>(kFormats[code].format) != code) {
            return false;
        }
    }
    return true;
}
static_assert(RowsInCodeOrder());

}  // namespace

std::span<const OutputFormatRow> OutputFormats() {
    return kFormats;
}

const OutputFormatRow& RowOf(OutputFormat format) {
    return kFormats.at(OutputFormatCode(format));
}

std::optional<OutputFormat> OutputFormatFromCode(long long code) {
    if (code < 0 || code >= static_cast<long long>(kFormats.size())) {
        return std::nullopt;
    }
    return kFormats[static_cast<std::size_t>(code)].format;
}

unsigned OutputFormatCode(OutputFormat format) {
    return static_cast<unsigned>(format);
}

std::optional<OutputFormat> OutputFormatFromName(std::string_view commandLineName) {
    for (const OutputFormatRow& row : kFormats) {
        if (row.commandLineName == commandLineName) {
            return row.format;
        }
    }
    return std::nullopt;
}

std::optional<OutputFormat> OutputFormatOfCommand(int commandId) {
    for (const OutputFormatRow& row : kFormats) {
        if (row.commandId == commandId) {
            return row.format;
        }
    }
    return std::nullopt;
}

}  // namespace kiro
