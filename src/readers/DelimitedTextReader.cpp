#include "readers/DelimitedTextReader.h"

namespace kiro {

bool ReadPointLine(CTextLines& lines, std::string_view line, char separator, SpectrumData& data) {
    const std::size_t at = line.find(separator);
    const std::optional<double> x =
        at == std::string_view::npos ? std::nullopt : ParseNumber(line.substr(0, at));
    const std::optional<double> y =
        at == std::string_view::npos ? std::nullopt : ParseNumber(line.substr(at + 1));
    if (!x || !y) {
        lines.Fail(separator == '\t' ? "not a wavelength, a tab and a value"
                                     : "not a wavelength, a comma and a value");
        return false;
    }
    if (data.values.size() >= kMaxSpectrumPoints) {
        lines.Fail("more than " + std::to_string(kMaxSpectrumPoints) + " points");
        return false;
    }
    data.wavelengths.push_back(*x);
    data.values.push_back(*y);
    return true;
}

SpectrumReading ReadDelimitedText(std::string_view text, SpectrumYUnit unit) {
    SpectrumData data;
    data.unit = unit;
    data.unitFromName = true;
    CTextLines lines(text);
    std::optional<std::string_view> line = lines.Next();
    const bool tab = line && line->find('\t') != std::string_view::npos;
    data.format = tab ? SpectrumFormat::Tab : SpectrumFormat::Comma;
    for (; line && !line->empty(); line = lines.Next()) {
        if (!ReadPointLine(lines, *line, tab ? '\t' : ',', data)) {
            break;
        }
    }
    // Blank lines may close the file; nothing may follow them.
    for (; line; line = lines.Next()) {
        if (!line->empty()) {
            lines.Fail("a point after a blank line");
        }
    }
    if (lines.Failed()) {
        return {std::nullopt, "delimited text that KiroConv cannot read: " + lines.Failure()};
    }
    if (data.values.empty()) {
        return {std::nullopt, "delimited text without a single point"};
    }
    return {std::move(data), {}};
}

}  // namespace kiro
