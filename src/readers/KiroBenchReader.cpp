#include "readers/KiroBenchReader.h"

#include <charconv>

#include "readers/DelimitedTextReader.h"
#include "readers/TextLines.h"

namespace kiro {
namespace {

constexpr std::string_view kFirstLineStart = "KiroBench Version ";
constexpr std::string_view kBeginMarker = ">>>>>Begin Spectral Data<<<<<";
constexpr std::string_view kEndMarker = ">>>>>End Spectral Data<<<<<";
// The header we write has 13 lines; a file with far more is something else.
constexpr std::size_t kMaxHeaderLines = 64;

struct HeaderFields {
    std::optional<std::uint16_t> integrationTimeMs;
    std::optional<std::uint16_t> spectraAveraged;
    std::optional<std::uint16_t> boxcarSmoothing;
    std::optional<std::uint32_t> referenceChannel;
};

// "Label: 65535": the number after the label, or nothing when the line has another label.
// A line with the label and no 16-bit number after it is a fault.
bool ReadNumberField(CTextLines& lines, std::string_view line, std::string_view label,
                     std::optional<std::uint16_t>& field) {
    if (!line.starts_with(label)) {
        return true;
    }
    const std::string_view digits = line.substr(label.size());
    unsigned value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() ||
        value > 65535) {
        lines.Fail("no number from 0 to 65535 after \"" + std::string(label) + "\"");
        return false;
    }
    field = static_cast<std::uint16_t>(value);
    return true;
}

bool ReadHeaderLine(CTextLines& lines, std::string_view line, HeaderFields& fields) {
    if (line == "Reference Channel: Master") {
        fields.referenceChannel = 1;
    } else if (line == "Reference Channel: None") {
        fields.referenceChannel = 0;
    }
    return ReadNumberField(lines, line, "Integration Time (msec): ", fields.integrationTimeMs) &&
           ReadNumberField(lines, line, "Spectra Averaged: ", fields.spectraAveraged) &&
           ReadNumberField(lines, line, "Boxcar Smoothing: ", fields.boxcarSmoothing);
}

// The header up to and with the begin marker; false when the marker never comes.
bool ReadHeader(CTextLines& lines, SpectrumData& data) {
    HeaderFields fields;
    for (std::optional<std::string_view> line = lines.Next(); line; line = lines.Next()) {
        if (*line == kBeginMarker) {
            if (fields.integrationTimeMs && fields.spectraAveraged && fields.boxcarSmoothing &&
                fields.referenceChannel) {
                data.acquisition =
                    AcquisitionSettings{*fields.integrationTimeMs, *fields.spectraAveraged,
                                        *fields.boxcarSmoothing, *fields.referenceChannel};
            }
            return true;
        }
        if (lines.LineNumber() > kMaxHeaderLines) {
            lines.Fail("no \"" + std::string(kBeginMarker) + "\" in the first " +
                       std::to_string(kMaxHeaderLines) + " lines");
            return false;
        }
        if (lines.LineNumber() == 3) {
            data.written = std::string(TrimBlanks(*line));
        }
        if (!ReadHeaderLine(lines, *line, fields)) {
            return false;
        }
    }
    lines.Fail("the file ends before \"" + std::string(kBeginMarker) + "\"");
    return false;
}

// The points up to and with the end marker, then nothing but blank lines.
bool ReadPoints(CTextLines& lines, SpectrumData& data) {
    std::optional<std::string_view> line = lines.Next();
    for (; line && *line != kEndMarker; line = lines.Next()) {
        if (!ReadPointLine(lines, *line, '\t', data)) {
            return false;
        }
    }
    if (!line) {
        lines.Fail("the file ends before \"" + std::string(kEndMarker) + "\": it is cut short");
        return false;
    }
    for (line = lines.Next(); line; line = lines.Next()) {
        if (!TrimBlanks(*line).empty()) {
            lines.Fail("text after \"" + std::string(kEndMarker) + "\"");
            return false;
        }
    }
    return !lines.Failed();
}

}  // namespace

bool LooksLikeKiroBench(std::string_view text) {
    return text.starts_with(kFirstLineStart);
}

SpectrumReading ReadKiroBench(std::string_view text, SpectrumYUnit unit, bool unitFromName) {
    SpectrumData data;
    data.format = SpectrumFormat::KiroBench;
    data.unit = unit;
    data.unitFromName = unitFromName;
    CTextLines lines(text);
    const std::optional<std::string_view> first = lines.Next();
    if (!first || !LooksLikeKiroBench(*first) || !first->ends_with(" Data File")) {
        lines.Fail("not \"KiroBench Version ... Data File\"");
    }
    if (lines.Failed() || !ReadHeader(lines, data) || !ReadPoints(lines, data)) {
        return {std::nullopt, "KiroBench data file that KiroConv cannot read: " + lines.Failure()};
    }
    if (data.values.empty()) {
        return {std::nullopt, "KiroBench data file without a single point"};
    }
    return {std::move(data), {}};
}

}  // namespace kiro
