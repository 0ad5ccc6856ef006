#include "cli/InfoCommand.h"

#include <CLI/CLI.hpp>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "cli/JsonText.h"
#include "conversion/DeviceFileReader.h"
#include "conversion/LineFormatter.h"
#include "conversion/OutputNaming.h"
#include "conversion/YUnits.h"
#include "platform/DisplayText.h"

namespace kiro::cli {
namespace {

struct ValueSummary {
    float min = NAN;  // NaN while no value is a finite number
    float max = NAN;
    std::size_t nonFinite = 0;
};

ValueSummary Summarize(const CDeviceSpectrum& spectrum) {
    ValueSummary summary;
    for (const float value : spectrum.values) {
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

std::string Shortest(float value) {
    if (std::isnan(value)) {
        return "none";
    }
    char buffer[32];
    return {buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr};
}

std::string TwoDecimals(double value) {
    std::string text;
    AppendFixed(text, value, 2);
    return text;
}

std::string DescribeAsText(const std::string& path, const CDeviceSpectrum& spectrum) {
    const ValueSummary values = Summarize(spectrum);
    const SpectrumYUnit unit = YUnitOf(spectrum);
    std::string text = EscapeControlCharacters(path) + "\n";
    text += "  kind: " + EscapeControlCharacters(SplitSourcePath(path).kind) + ", version " +
            std::to_string(spectrum.version) + ", role " + std::to_string(spectrum.spectrumRole) +
            ", data mode " + std::to_string(spectrum.dataMode) + " (" +
            std::string(YUnitName(unit)) + ")\n";
    text += "  calibration: intercept " + Shortest(spectrum.wlIntercept) + ", coefficients " +
            Shortest(spectrum.wlCoef1) + " " + Shortest(spectrum.wlCoef2) + " " +
            Shortest(spectrum.wlCoef3) + "\n";
    text += "  wavelength: " + TwoDecimals(spectrum.WavelengthAt(0)) + " to " +
            TwoDecimals(spectrum.WavelengthAt(kSpectrumPointCount - 1)) + " nm, " +
            std::to_string(kSpectrumPointCount) + " points\n";
    text += "  integration time: " + std::to_string(spectrum.integrationTimeMs) +
            " ms, averaged: " + std::to_string(spectrum.spectraAveraged) +
            ", boxcar: " + std::to_string(spectrum.boxcarSmoothing) +
            ", reference channel: " + (spectrum.referenceChannel == 1 ? "master" : "none") + "\n";
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
    CJsonObject& String(const char* name, std::string_view value) {
        Name(name);
        AppendJsonString(m_text, value);
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

std::string DescribeAsJson(const std::string& path, const CDeviceSpectrum& spectrum) {
    const ValueSummary values = Summarize(spectrum);
    CJsonObject object;
    object.String("file", path)
        .String("kind", SplitSourcePath(path).kind)
        .Number("version", spectrum.version)
        .Number("spectrumRole", spectrum.spectrumRole)
        .Number("dataMode", spectrum.dataMode)
        .String("yUnit", YUnitName(YUnitOf(spectrum)))
        .Number("wlIntercept", spectrum.wlIntercept)
        .Number("wlCoef1", spectrum.wlCoef1)
        .Number("wlCoef2", spectrum.wlCoef2)
        .Number("wlCoef3", spectrum.wlCoef3)
        .Number("firstWavelengthNm", spectrum.WavelengthAt(0))
        .Number("lastWavelengthNm", spectrum.WavelengthAt(kSpectrumPointCount - 1))
        .Number("points", kSpectrumPointCount)
        .Number("integrationTimeMs", spectrum.integrationTimeMs)
        .Number("spectraAveraged", spectrum.spectraAveraged)
        .Number("boxcarSmoothing", spectrum.boxcarSmoothing)
        .Number("referenceChannel", spectrum.referenceChannel)
        .Number("minValue", values.min)
        .Number("maxValue", values.max)
        .Number("nonFiniteValues", values.nonFinite);
    return object.Line();
}

std::string DescribeFailure(const std::string& path, const std::string& reason, bool json) {
    if (!json) {
        return EscapeControlCharacters(path) + ": " + reason + "\n";
    }
    CJsonObject object;
    object.String("file", path).String("error", reason);
    return object.Line();
}

}  // namespace

CLI::App* AddInfoCommand(CLI::App& app, InfoOptions& options) {
    CLI::App* command =
        app.add_subcommand("info", "Show the header and values of device spectrum files");
    command->add_flag("--json", options.json, "One JSON object per line, for scripts");
    command->add_option("FILE", options.paths, "Device spectrum files on this PC")->required();
    command->footer(
        "For each file: its kind, version and wavelength calibration, the wavelength range,\n"
        "the acquisition settings, and the smallest and largest value with the count of\n"
        "NaN or infinite ones. A file that is not a device spectrum gets a line saying why.\n"
        "With --json each file is one object; such a file has \"file\" and \"error\" only.\n"
        "Exit status: 0 when every file was read, 1 when any was not, 2 for a usage error.\n\n"
        "Examples:\n"
        "  kiroconv-cli info run1.absorbance_ks\n"
        "  kiroconv-cli info --json ~/spectra/*_ks");
    return command;
}

int RunInfo(const InfoOptions& options) {
    bool allRead = true;
    for (const std::string& path : options.paths) {
        const SpectrumFileRead read = ReadSpectrumFile(path);
        std::string text;
        if (!read.Loaded()) {
            allRead = false;
            text = DescribeFailure(path, DescribeSpectrumFileRead(read), options.json);
        } else {
            text = options.json ? DescribeAsJson(path, read.spectrum)
                                : DescribeAsText(path, read.spectrum);
        }
        std::fwrite(text.data(), 1, text.size(), stdout);
    }
    std::fflush(stdout);
    return allRead ? 0 : 1;
}

}  // namespace kiro::cli
