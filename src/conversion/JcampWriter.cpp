#include "conversion/JcampWriter.h"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "conversion/LineFormatter.h"
#include "conversion/WavelengthTexts.h"
#include "conversion/YUnits.h"
#include "platform/DisplayText.h"

namespace kiro {
namespace {

// Room for the longest shortest form of a double, "-2.2250738585072014E-308".
constexpr std::size_t kNumberRoom = 32;

// Shortest round-trip digits, never the locale's; the standard's exponent letter is "E".
template <typename Number>
char* WriteNumber(char* out, Number value) {
    if (!std::isfinite(value)) {
        *out = '?';
        return out + 1;
    }
    char* const end = std::to_chars(out, out + kNumberRoom, value).ptr;
    for (char* c = out; c != end; ++c) {
        if (*c == 'e') {
            *c = 'E';
        }
    }
    return end;
}

template <typename Number>
void AppendNumber(std::string& out, Number value) {
    char buffer[kNumberRoom];
    out.append(buffer, WriteNumber(buffer, value));
}

void AppendLabel(std::string& out, std::string_view label, std::string_view value) {
    out.append("##");
    out.append(label);
    out.push_back('=');
    out.append(value);
    out.append(kLineEnd);
}

template <typename Number>
void AppendNumberLabel(std::string& out, std::string_view label, Number value) {
    out.append("##");
    out.append(label);
    out.push_back('=');
    AppendNumber(out, value);
    out.append(kLineEnd);
}

std::string_view YUnitsText(SpectrumYUnit unit) {
    switch (unit) {
        case SpectrumYUnit::Counts:
            return "COUNTS";
        case SpectrumYUnit::Absorbance:
            return "ABSORBANCE";
        case SpectrumYUnit::Transmission:
            return "TRANSMITTANCE";
        case SpectrumYUnit::Arbitrary:
            break;
    }
    return "ARBITRARY UNITS";
}

// A free text holds no line break of its own: control characters are shown escaped, and
// "$$", which would start a comment and hide the rest, is split, and so is "##", so that no
// line of a folded text can begin a label.
std::string FreeText(std::string_view text) {
    std::string shown = EscapeControlCharacters(text);
    for (const std::string_view pair : {"$$", "##"}) {
        for (std::size_t at = shown.find(pair); at != std::string::npos;
             at = shown.find(pair, at)) {
            shown.insert(at + 1, " ");
        }
    }
    return shown;
}

bool StartsACharacter(std::string_view text, std::size_t at) {
    return at >= text.size() || (static_cast<unsigned char>(text[at]) & 0xC0) != 0x80;
}

// Where the next line of a folded text ends, at most `room` bytes on: after the last space
// that fits, else between two characters. A reader joins the lines as they stand, so the
// break adds and drops nothing.
std::size_t FoldAt(std::string_view text, std::size_t room) {
    const std::size_t space = text.substr(0, room).rfind(' ');
    std::size_t at = space != std::string_view::npos && space > 0 ? space + 1 : room;
    while (at > 1 && !StartsACharacter(text, at)) {
        --at;
    }
    return at;
}

// A text label, folded so that no line is longer than JCAMP-DX allows.
void AppendTextLabel(std::string& out, std::string_view label, std::string_view value) {
    const std::string text = FreeText(value);
    std::string_view rest = text;
    std::size_t room = kJcampMaxLineBytes - (label.size() + 3);  // "##", the label and "="
    out.append("##");
    out.append(label);
    out.push_back('=');
    while (rest.size() > room) {
        const std::size_t at = FoldAt(rest, room);
        out.append(rest.substr(0, at));
        out.append(kLineEnd);
        rest.remove_prefix(at);
        room = kJcampMaxLineBytes;
    }
    out.append(rest);
    out.append(kLineEnd);
}

void AppendHeader(std::string& out, const CDeviceSpectrum& spectrum, std::string_view title,
                  std::string_view owner) {
    AppendTextLabel(out, "TITLE", title);
    AppendLabel(out, "JCAMP-DX", "5.01");
    AppendLabel(out, "DATA TYPE", "UV/VIS SPECTRUM");
    AppendLabel(out, "ORIGIN", "Corvane Tech Kiro-SCAN");
    AppendTextLabel(out, "OWNER", owner);
    AppendLabel(out, "XUNITS", "NANOMETERS");
    AppendLabel(out, "YUNITS", YUnitsText(YUnitOf(spectrum)));
    AppendLabel(out, "XFACTOR", "1");
    AppendLabel(out, "YFACTOR", "1");
    AppendNumberLabel(out, "FIRSTX", spectrum.WavelengthAt(0));
    AppendNumberLabel(out, "LASTX", spectrum.WavelengthAt(kSpectrumPointCount - 1));
    AppendNumberLabel(out, "FIRSTY", spectrum.values[0]);
    AppendNumberLabel(out, "NPOINTS", kSpectrumPointCount);
}

// The acquisition settings and the calibration, which no standard label holds.
void AppendAcquisition(std::string& out, const CDeviceSpectrum& spectrum) {
    AppendNumberLabel(out, "$SPECTRUM ROLE", spectrum.spectrumRole);
    AppendNumberLabel(out, "$DATA MODE", spectrum.dataMode);
    AppendNumberLabel(out, "$INTEGRATION TIME MS", spectrum.integrationTimeMs);
    AppendNumberLabel(out, "$SPECTRA AVERAGED", spectrum.spectraAveraged);
    AppendNumberLabel(out, "$BOXCAR SMOOTHING", spectrum.boxcarSmoothing);
    AppendNumberLabel(out, "$REFERENCE CHANNEL", spectrum.referenceChannel);
    AppendNumberLabel(out, "$WAVELENGTH INTERCEPT", spectrum.wlIntercept);
    AppendNumberLabel(out, "$WAVELENGTH COEF1", spectrum.wlCoef1);
    AppendNumberLabel(out, "$WAVELENGTH COEF2", spectrum.wlCoef2);
    AppendNumberLabel(out, "$WAVELENGTH COEF3", spectrum.wlCoef3);
}

void AppendPoints(std::string& out, const CDeviceSpectrum& spectrum) {
    AppendLabel(out, "XYPOINTS", "(XY..XY)");
    // The "x, " texts; the shortest form of a double costs twice that of a float.
    thread_local CWavelengthTexts cache;
    const CWavelengthTexts& wavelengths = cache.For(spectrum, [](std::string& text, double x) {
        AppendNumber(text, x);
        text.append(", ");
    });
    // Written straight into the string, which has room for every line at its longest.
    std::size_t used = out.size();
    out.resize(used + wavelengths.TotalSize() + kSpectrumPointCount * (kNumberRoom + 2));
    for (std::size_t i = 0; i < kSpectrumPointCount; ++i) {
        const std::string_view x = wavelengths.At(i);
        char* at = out.data() + used;
        std::memcpy(at, x.data(), x.size());
        at = WriteNumber(at + x.size(), spectrum.values[i]);
        *at++ = '\r';
        *at++ = '\n';
        used = static_cast<std::size_t>(at - out.data());
    }
    out.resize(used);
}

}  // namespace

std::string FormatJcampFile(const CDeviceSpectrum& spectrum, std::string_view title,
                            std::string_view owner) {
    std::string text;
    text.reserve(1024);
    AppendHeader(text, spectrum, title, owner);
    AppendAcquisition(text, spectrum);
    AppendPoints(text, spectrum);
    AppendLabel(text, "END", "");
    return text;
}

std::string_view JcampRefusal(const CDeviceSpectrum& spectrum) {
    for (std::size_t i = 0; i < kSpectrumPointCount; ++i) {
        if (!std::isfinite(spectrum.WavelengthAt(i))) {
            return "the wavelength scale is not finite";
        }
    }
    return {};
}

}  // namespace kiro
