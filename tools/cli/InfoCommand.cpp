#include "cli/InfoCommand.h"

#include <CLI/CLI.hpp>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "cli/JsonText.h"
#include "conversion/LineFormatter.h"
#include "conversion/OutputNaming.h"
#include "platform/DisplayText.h"
#include "readers/AnyFileReader.h"

namespace kiro::cli {
namespace {

struct ValueSummary {
    double min = NAN;  // NaN while no value is a finite number
    double max = NAN;
    std::size_t nonFinite = 0;
};

ValueSummary Summarize(const std::vector<double>& values) {
    ValueSummary summary;
    for (const double value : values) {
        if (!std::isfinite(value)) {
            ++summary.nonFinite;
        } else if (std::isnan(summary.min)) {
            summary.min = summary.max = value;
        } else {
            summary.min = std::min(summary.min, value);
            summary.max = std::max(summary.max, value);
        }
    }
    return summary;
}

// A value that a float holds exactly is shown in the float's shortest form ("3401.6072",
// not "3401.607177734375"): the binary formats store floats.
bool IsFloat(double value) {
    return std::fabs(value) <= std::numeric_limits<float>::max() &&
           static_cast<double>(static_cast<float>(value)) == value;
}

std::string Shortest(double value) {
    if (std::isnan(value)) {
        return "none";
    }
    char buffer[32];
    char* const end =
        IsFloat(value)
            ? std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(value)).ptr
            : std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return std::string(buffer, end);
}

void AppendJsonValue(std::string& out, double value) {
    if (IsFloat(value)) {
        AppendJsonNumber(out, static_cast<float>(value));
    } else {
        AppendJsonNumber(out, value);
    }
}

std::string TwoDecimals(double value) {
    std::string text;
    AppendFixed(text, value, 2);
    return text;
}

// "role 3, data mode 1 (absorbance)", "role 2 (counts)", "(counts, by its name)".
std::string RoleAndUnit(const SpectrumData& data) {
    std::string text;
    if (data.spectrumRole) {
        text += ", role " + std::to_string(*data.spectrumRole);
    }
    if (data.dataMode) {
        text += ", data mode " + std::to_string(*data.dataMode);
    }
    return text + " (" + std::string(YUnitName(data.unit)) +
           (data.unitFromName ? ", by its name)" : ")");
}

std::string HeadLine(const std::string& path, const SpectrumData& data) {
    if (data.format == SpectrumFormat::Device) {
        return "  kind: " + EscapeControlCharacters(SplitSourcePath(path).kind) + ", version " +
               std::to_string(data.version.value_or(0)) + RoleAndUnit(data) + "\n";
    }
    std::string text = "  format: " + std::string(SpectrumFormatDescription(data.format)) +
                       RoleAndUnit(data) + "\n";
    if (!data.title.empty()) {
        text += "  title: " + EscapeControlCharacters(data.title) + "\n";
    }
    if (!data.written.empty()) {
        text += "  written: " + EscapeControlCharacters(data.written) + "\n";
    }
    return text;
}

std::string DescribeAsText(const std::string& path, const SpectrumData& data) {
    const ValueSummary values = Summarize(data.values);
    std::string text = EscapeControlCharacters(path) + "\n" + HeadLine(path, data);
    if (const auto& c = data.calibration) {
        text += "  calibration: intercept " + Shortest(c->intercept) + ", coefficients " +
                Shortest(c->coef1) + " " + Shortest(c->coef2) + " " + Shortest(c->coef3) + "\n";
    }
    text += "  wavelength: " + TwoDecimals(data.wavelengths.front()) + " to " +
            TwoDecimals(data.wavelengths.back()) + " nm, " + std::to_string(data.values.size()) +
            " points\n";
    if (const auto& a = data.acquisition) {
        text += "  integration time: " + std::to_string(a->integrationTimeMs) +
                " ms, averaged: " + std::to_string(a->spectraAveraged) +
                ", boxcar: " + std::to_string(a->boxcarSmoothing) +
                ", reference channel: " + (a->referenceChannel == 1 ? "master" : "none") + "\n";
    }
    text += "  values: min " + Shortest(values.min) + ", max " + Shortest(values.max) +
            ", NaN or infinite: " + std::to_string(values.nonFinite) + "\n";
    return text;
}

// One JSON object member: "name":value, with the comma that goes before all but the first.
class CJsonObject {
public:
    template <typename Value>
    CJsonObject& Number(const char* name, Value value) {
        Name(name);
        if constexpr (std::is_integral_v<Value>) {
            m_text += std::to_string(value);
        } else {
            AppendJsonNumber(m_text, value);
        }
        return *this;
    }
    // A spectrum's value, in the float's form when a float holds it.
    CJsonObject& SpectrumValue(const char* name, double value) {
        Name(name);
        AppendJsonValue(m_text, value);
        return *this;
    }
    template <typename Value>
    CJsonObject& Number(const char* name, const std::optional<Value>& value) {
        return value ? Number(name, *value) : *this;
    }
    CJsonObject& String(const char* name, std::string_view value) {
        Name(name);
        AppendJsonString(m_text, value);
        return *this;
    }
    CJsonObject& Bool(const char* name, bool value) {
        Name(name);
        m_text += value ? "true" : "false";
        return *this;
    }
    std::string Line() const { return m_text + "}\n"; }

private:
    void Name(const char* name) {
        m_text += m_text.size() > 1 ? ",\"" : "\"";
        m_text += name;
        m_text += "\":";
    }
    std::string m_text = "{";
};

std::string DescribeAsJson(const std::string& path, const SpectrumData& data) {
    const ValueSummary values = Summarize(data.values);
    CJsonObject object;
    object.String("file", path).String("format", SpectrumFormatName(data.format));
    if (data.format == SpectrumFormat::Device) {
        object.String("kind", SplitSourcePath(path).kind);
    }
    object.Number("version", data.version)
        .Number("spectrumRole", data.spectrumRole)
        .Number("dataMode", data.dataMode)
        .String("yUnit", YUnitName(data.unit))
        .Bool("yUnitFromName", data.unitFromName);
    if (!data.title.empty()) {
        object.String("title", data.title);
    }
    if (!data.written.empty()) {
        object.String("written", data.written);
    }
    if (const auto& c = data.calibration) {
        object.Number("wlIntercept", c->intercept)
            .Number("wlCoef1", c->coef1)
            .Number("wlCoef2", c->coef2)
            .Number("wlCoef3", c->coef3);
    }
    object.Number("firstWavelengthNm", data.wavelengths.front())
        .Number("lastWavelengthNm", data.wavelengths.back())
        .Number("points", data.values.size());
    if (const auto& a = data.acquisition) {
        object.Number("integrationTimeMs", a->integrationTimeMs)
            .Number("spectraAveraged", a->spectraAveraged)
            .Number("boxcarSmoothing", a->boxcarSmoothing)
            .Number("referenceChannel", a->referenceChannel);
    }
    object.SpectrumValue("minValue", values.min)
        .SpectrumValue("maxValue", values.max)
        .Number("nonFiniteValues", values.nonFinite);
    return object.Line();
}

std::string DescribeFailure(const std::string& path, const std::string& reason, bool json) {
    if (!json) {
        // The reason may quote the file's own bytes.
        return EscapeControlCharacters(path) + ": " + EscapeControlCharacters(reason) + "\n";
    }
    CJsonObject object;
    object.String("file", path).String("error", reason);
    return object.Line();
}

}  // namespace

CLI::App* AddInfoCommand(CLI::App& app, InfoOptions& options) {
    CLI::App* command = app.add_subcommand(
        "info", "Show what spectrum files hold: the handheld's, or converted ones");
    command->add_flag("--json", options.json, "One JSON object per line, for scripts");
    command->add_option("FILE", options.paths, "Spectrum files on this PC")->required();
    command->footer(
        "Reads the handheld's spectrum files (*_ks) and every file convert writes: KiroBench,\n"
        "SPC and JCAMP-DX files, known by their headers, and tab- or comma-delimited text,\n"
        "whose unit its name gives (.scope, .dark, .reference: counts; .absorbance;\n"
        ".transmission; also after .Master).\n"
        "For each file: its kind and version (a handheld file) or format, the unit of its\n"
        "values, whatever of the handheld's header it carries (role, data mode, calibration,\n"
        "acquisition settings; a title or the date it was written), the wavelength range and\n"
        "the number of points, and the smallest and largest value with the count of NaN or\n"
        "infinite ones. A file that is none of these gets a line saying why.\n"
        "With --json each file is one object with \"file\" and \"format\" (device, tab, comma,\n"
        "kirobench, spc or jcamp); a file that could not be read has \"file\" and \"error\" only.\n"
        "Exit status: 0 when every file was read, 1 when any was not, 2 for a usage error.\n\n"
        "Examples:\n"
        "  kiroconv-cli info run1.absorbance_ks\n"
        "  kiroconv-cli info run1.absorbance.jdx run1.absorbance.spc\n"
        "  kiroconv-cli info --json ~/spectra/*_ks");
    return command;
}

int RunInfo(const InfoOptions& options) {
    bool allRead = true;
    for (const std::string& path : options.paths) {
        const SpectrumReading read = ReadAnySpectrumFile(path);
        std::string text;
        if (!read.spectrum) {
            allRead = false;
            text = DescribeFailure(path, read.failure, options.json);
        } else {
            text = options.json ? DescribeAsJson(path, *read.spectrum)
                                : DescribeAsText(path, *read.spectrum);
        }
        std::fwrite(text.data(), 1, text.size(), stdout);
    }
    std::fflush(stdout);
    return allRead ? 0 : 1;
}

}  // namespace kiro::cli
