#include "readers/JcampReader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "readers/TextLines.h"

namespace kiro {
namespace {

constexpr std::size_t kMaxLabels = 256;
constexpr std::size_t kMaxValueBytes = 8192;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Labels compare without case, spaces, hyphens, slashes or underscores ("JCAMP-DX" is
// "JCAMPDX").
std::string NormalisedLabel(std::string_view label) {
    std::string name;
    for (const char c : label) {
        if (c != ' ' && c != '-' && c != '/' && c != '_' && c != '\t') {
            name.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
        }
    }
    return name;
}

std::string_view WithoutComment(std::string_view line) {
    return line.substr(0, line.find("$$"));
}

std::string UpperCase(std::string_view text) {
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; });
    return upper;
}

// A number, or "?" for one that is missing.
std::optional<double> ParseJcampNumber(std::string_view text) {
    text = TrimBlanks(text);
    return text == "?" ? std::optional<double>(kNaN) : ParseNumber(text);
}

struct Label {
    std::string name;   // normalised
    std::string shown;  // as written, for messages
    std::string value;
};

class CJcampParser {
public:
    explicit CJcampParser(std::string_view text) : m_lines(text) {}

    SpectrumReading Read() {
        ReadLines();
        if (m_lines.Failed()) {
            return Refused(m_lines.Failure());
        }
        if (m_fault.empty()) {
            Interpret();
        }
        if (!m_fault.empty()) {
            return Refused(m_fault);
        }
        return {std::move(m_data), {}};
    }

private:
    static SpectrumReading Refused(const std::string& why) {
        return {std::nullopt, "JCAMP-DX file that KiroConv cannot read: " + why};
    }

    void ReadLines() {
        for (std::optional<std::string_view> line = m_lines.Next(); line; line = m_lines.Next()) {
            if (m_ended) {
                if (!TrimBlanks(*line).empty()) {
                    m_lines.Fail("text after ##END, such as a second block");
                }
            } else if (line->starts_with("##")) {
                StartLabel(line->substr(2));
            } else if (m_inPoints) {
                ReadPoint(WithoutComment(*line));
            } else {
                ContinueLabel(WithoutComment(*line));
            }
        }
        if (!m_lines.Failed() && !m_ended) {
            m_fault = "the file ends before its ##END label: it is cut short";
        }
    }

    void StartLabel(std::string_view text) {
        const std::size_t equals = text.find('=');
        if (equals == std::string_view::npos) {
            m_lines.Fail("a label without \"=\"");
            return;
        }
        Label label{NormalisedLabel(text.substr(0, equals)),
                    std::string(TrimBlanks(text.substr(0, equals))),
                    std::string(WithoutComment(text.substr(equals + 1)))};
        m_inPoints = false;
        if (label.name.empty()) {
            return;  // "##=" holds a comment only
        }
        if (m_labels.empty() && label.name != "TITLE") {
            m_lines.Fail("the first label is not ##TITLE");
        } else if (Find(label.name) != nullptr) {
            m_lines.Fail("##" + label.shown + " a second time");
        } else if (m_labels.size() >= kMaxLabels) {
            m_lines.Fail("more than " + std::to_string(kMaxLabels) + " labels");
        } else if (label.name == "END") {
            m_ended = true;
        } else if (label.name == "XYPOINTS") {
            if (NormalisedLabel(TrimBlanks(label.value)) != "(XY..XY)") {
                m_lines.Fail("##XYPOINTS=" + std::string(TrimBlanks(label.value)) +
                             "; KiroConv reads (XY..XY), one pair per line");
            }
            m_inPoints = true;
        } else if (label.name == "XYDATA" || label.name == "PEAKTABLE" || label.name == "NTUPLES" ||
                   label.name == "BLOCKS" || label.name == "DATATABLE") {
            m_lines.Fail("##" + label.shown +
                         ", a form KiroConv does not read; it reads ##XYPOINTS=(XY..XY)");
        }
        if (!m_lines.Failed()) {
            m_labels.push_back(std::move(label));
        }
    }

    void ContinueLabel(std::string_view text) {
        if (m_labels.empty()) {
            m_lines.Fail("text before ##TITLE");
            return;
        }
        std::string& value = m_labels.back().value;
        if (value.size() + text.size() > kMaxValueBytes) {
            m_lines.Fail("a value longer than " + std::to_string(kMaxValueBytes) + " bytes");
            return;
        }
        value.append(text);
    }

    void ReadPoint(std::string_view line) {
        if (TrimBlanks(line).empty()) {
            return;
        }
        const std::size_t comma = line.find(',');
        const std::optional<double> x = comma == std::string_view::npos
                                            ? std::nullopt
                                            : ParseJcampNumber(line.substr(0, comma));
        const std::optional<double> y = comma == std::string_view::npos
                                            ? std::nullopt
                                            : ParseJcampNumber(line.substr(comma + 1));
        if (!x || !y) {
            m_lines.Fail("not a pair \"x, y\" of numbers");
        } else if (m_data.values.size() >= kMaxSpectrumPoints) {
            m_lines.Fail("more than " + std::to_string(kMaxSpectrumPoints) + " points");
        } else {
            m_data.wavelengths.push_back(*x);
            m_data.values.push_back(*y);
        }
    }

    const Label* Find(std::string_view name) const {
        const auto found = std::find_if(m_labels.begin(), m_labels.end(),
                                        [name](const Label& label) { return label.name == name; });
        return found == m_labels.end() ? nullptr : &*found;
    }

    std::string_view Value(std::string_view name) const {
        const Label* label = Find(name);
        return label == nullptr ? std::string_view() : TrimBlanks(label->value);
    }

    void Fault(std::string why) {
        if (m_fault.empty()) {
            m_fault = std::move(why);
        }
    }

    // A number label; `fallback` when it is absent.
    double NumberOf(std::string_view name, double fallback) {
        if (Find(name) == nullptr) {
            return fallback;
        }
        const std::optional<double> number = ParseJcampNumber(Value(name));
        if (!number) {
            Fault("##" + Find(name)->shown + " is not a number");
            return fallback;
        }
        return *number;
    }

    template <typename Unsigned>
    std::optional<Unsigned> WholeNumberOf(std::string_view name) {
        if (Find(name) == nullptr) {
            return std::nullopt;
        }
        const std::string_view text = Value(name);
        Unsigned value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
            Fault("##" + Find(name)->shown + " is not a whole number from 0 to " +
                  std::to_string(std::numeric_limits<Unsigned>::max()));
            return std::nullopt;
        }
        return value;
    }

    // A float label, read as a float (the writer gave its shortest form); "?" is NaN.
    std::optional<float> FloatOf(std::string_view name) {
        if (Find(name) == nullptr) {
            return std::nullopt;
        }
        const std::string_view text = Value(name);
        if (text == "?") {
            return std::numeric_limits<float>::quiet_NaN();
        }
        float value = 0.0f;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
            Fault("##" + Find(name)->shown + " is not a number");
            return std::nullopt;
        }
        return value;
    }

    void InterpretUnits() {
        if (Find("JCAMPDX") == nullptr) {
            Fault("no ##JCAMP-DX label");
        }
        const std::string xUnits = UpperCase(Value("XUNITS"));
        if (xUnits != "NANOMETERS" && xUnits != "NM") {
            Fault("its x values are in \"" + std::string(Value("XUNITS")) +
                  "\", not in nanometres");
        }
        const std::string yUnits = UpperCase(Value("YUNITS"));
        m_data.unit = yUnits == "COUNTS"          ? SpectrumYUnit::Counts
                      : yUnits == "ABSORBANCE"    ? SpectrumYUnit::Absorbance
                      : yUnits == "TRANSMITTANCE" ? SpectrumYUnit::Transmission
                                                  : SpectrumYUnit::Arbitrary;
    }

    void InterpretPoints() {
        if (Find("XYPOINTS") == nullptr) {
            Fault("no ##XYPOINTS=(XY..XY)");
            return;
        }
        const std::optional<std::uint32_t> declared = WholeNumberOf<std::uint32_t>("NPOINTS");
        if (!declared || *declared != m_data.values.size()) {
            Fault("##NPOINTS " + (declared ? "is " + std::to_string(*declared) : "is missing") +
                  ", but the file holds " + std::to_string(m_data.values.size()) + " points");
            return;
        }
        if (m_data.values.empty()) {
            Fault("no points");
            return;
        }
        const double xFactor = NumberOf("XFACTOR", 1.0);
        const double yFactor = NumberOf("YFACTOR", 1.0);
        if (!std::isfinite(xFactor) || !std::isfinite(yFactor) || xFactor == 0 || yFactor == 0) {
            Fault("##XFACTOR or ##YFACTOR is not a finite number other than 0");
            return;
        }
        for (double& x : m_data.wavelengths) {
            x *= xFactor;
        }
        for (double& y : m_data.values) {
            y *= yFactor;
        }
        CheckEnd("FIRSTX", m_data.wavelengths.front());
        CheckEnd("LASTX", m_data.wavelengths.back());
    }

    // ##FIRSTX and ##LASTX repeat the first and last x: a file that lost points tells.
    void CheckEnd(std::string_view name, double x) {
        const double declared = NumberOf(name, x);
        const bool agree = (std::isnan(declared) && std::isnan(x)) || declared == x ||
                           std::fabs(declared - x) <= 1e-9 * std::max(std::fabs(declared), 1.0);
        if (!agree) {
            Fault("##" + std::string(name) + " is not the x of the " +
                  (name == "FIRSTX" ? "first" : "last") + " point");
        }
    }

    void InterpretOwnLabels() {
        m_data.spectrumRole = WholeNumberOf<std::uint32_t>("$SPECTRUMROLE");
        m_data.dataMode = WholeNumberOf<std::uint32_t>("$DATAMODE");
        const auto integration = WholeNumberOf<std::uint16_t>("$INTEGRATIONTIMEMS");
        const auto averaged = WholeNumberOf<std::uint16_t>("$SPECTRAAVERAGED");
        const auto boxcar = WholeNumberOf<std::uint16_t>("$BOXCARSMOOTHING");
        const auto reference = WholeNumberOf<std::uint32_t>("$REFERENCECHANNEL");
        if (integration && averaged && boxcar && reference) {
            m_data.acquisition = AcquisitionSettings{*integration, *averaged, *boxcar, *reference};
        }
        const std::string_view names[] = {"$WAVELENGTHINTERCEPT", "$WAVELENGTHCOEF1",
                                          "$WAVELENGTHCOEF2", "$WAVELENGTHCOEF3"};
        std::optional<float> terms[4];
        for (std::size_t i = 0; i < 4; ++i) {
            terms[i] = FloatOf(names[i]);
        }
        if (terms[0] && terms[1] && terms[2] && terms[3]) {
            m_data.calibration = WavelengthCalibration{*terms[0], *terms[1], *terms[2], *terms[3]};
        }
    }

    void Interpret() {
        m_data.format = SpectrumFormat::Jcamp;
        m_data.title = std::string(Value("TITLE"));
        InterpretUnits();
        InterpretPoints();
        InterpretOwnLabels();
    }

    CTextLines m_lines;
    std::vector<Label> m_labels;
    bool m_inPoints = false;
    bool m_ended = false;
    std::string m_fault;
    SpectrumData m_data;
};

}  // namespace

bool LooksLikeJcamp(std::string_view text) {
    return text.starts_with("##");
}

SpectrumReading ReadJcamp(std::string_view text) {
    return CJcampParser(text).Read();
}

}  // namespace kiro
