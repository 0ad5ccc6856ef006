#include "conversion/KiroBenchWriter.h"

#include "conversion/LineFormatter.h"
#include "platform/TimeText.h"

namespace kiro {
namespace {

void AppendLine(std::string& out, std::string_view line) {
    out.append(line);
    out.append(kLineEnd);
}

void AppendNumberLine(std::string& out, std::string_view label, unsigned number) {
    out.append(label);
    out.append(std::to_string(number));
    out.append(kLineEnd);
}

}  // namespace

std::string FormatKiroBenchFile(const CDeviceSpectrum& spectrum, const std::tm& now) {
    std::string text;
    text.reserve(kSpectrumPointCount * 24 + 600);
    AppendLine(text, "KiroBench Version 1.0.0.0 Data File");
    AppendLine(text, "++++++++++++++++++++++++++++++++++++");
    AppendLine(text, FormatTimeStamp(now));
    AppendLine(text, "User: Kiro-SCAN Data File");
    AppendLine(text, "Spectrometer Serial Number: Kiro-SCAN");
    AppendLine(text, "Spectrometer Channel: Master");
    AppendNumberLine(text, "Integration Time (msec): ", spectrum.integrationTimeMs);
    AppendNumberLine(text, "Spectra Averaged: ", spectrum.spectraAveraged);
    AppendNumberLine(text, "Boxcar Smoothing: ", spectrum.boxcarSmoothing);
    AppendLine(text, "Correct for Electrical Dark: Disabled");
    AppendLine(text, "Time Normalized: Disabled");
    AppendLine(text, "Dual-beam Reference: Disabled");
    AppendLine(text, spectrum.referenceChannel == 1 ? "Reference Channel: Master"
                                                    : "Reference Channel: None");
    AppendLine(text, ">>>>>Begin Spectral Data<<<<<");
    AppendSpectrumLines(text, spectrum, '\t');
    AppendLine(text, ">>>>>End Spectral Data<<<<<");
    return text;
}

}  // namespace kiro
