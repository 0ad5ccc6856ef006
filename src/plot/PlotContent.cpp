#include "plot/PlotContent.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "platform/DisplayText.h"
#include "platform/FileCalls.h"
#include "platform/RegularFile.h"

namespace kiro {

namespace {

std::string LoadFailureReason(const std::string& name, SpectrumLoadResult result,
                              std::uint32_t version) {
    switch (result) {
        case SpectrumLoadResult::NotDeviceSpectrum:
            return name + " is not a Kiro-SCAN spectrum file.";
        case SpectrumLoadResult::Truncated:
            return name + " is cut short: it is not a whole Kiro-SCAN spectrum file.";
        case SpectrumLoadResult::UnknownVersion:
            return name + " has a spectrum file layout this program does not know (version " +
                   std::to_string(version) + ").";
        case SpectrumLoadResult::Loaded:
            break;
    }
    return {};
}

// The kind as the name gives it: "absorbance" for "leaf.absorbance_ks".
std::string KindWord(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos) {
        return "unknown kind";
    }
    std::string kind = name.substr(dot + 1);
    if (kind.size() > 3 && kind.ends_with("_ks")) {
        kind.resize(kind.size() - 3);
    }
    return kind;
}

PlotTrace TraceOf(const PlotSource& source) {
    PlotTrace trace;
    trace.label = source.name;
    trace.x.reserve(kSpectrumPointCount);
    trace.y.reserve(kSpectrumPointCount);
    for (std::size_t i = 0; i < kSpectrumPointCount; ++i) {
        trace.x.push_back(source.spectrum->WavelengthAt(i));
        trace.y.push_back(static_cast<double>(source.spectrum->values[i]));
    }
    return trace;
}

// The title of the y axis: the one unit all spectra share, or each unit met.
std::string YTitle(const std::vector<const PlotSource*>& plotted) {
    std::string title;
    std::vector<SpectrumYUnit> seen;
    for (const PlotSource* source : plotted) {
        const SpectrumYUnit unit = YUnitOf(*source->spectrum);
        if (std::find(seen.begin(), seen.end(), unit) == seen.end()) {
            seen.push_back(unit);
            title += (title.empty() ? "" : " / ") + std::string(UnitTitle(unit));
        }
    }
    return title;
}

std::string OverlayCaption(std::size_t plotted, std::size_t selected,
                           const std::vector<const PlotSource*>& failed) {
    std::string caption;
    if (selected > kMaxOverlaidSpectra) {
        caption = std::to_string(selected) + " files selected; the first " +
                  std::to_string(kMaxOverlaidSpectra) + " are plotted.";
    } else {
        caption = std::to_string(plotted) + " spectra";
    }
    if (!failed.empty()) {
        caption +=
            " (" + failed.front()->reason +
            (failed.size() > 1 ? " " + std::to_string(failed.size() - 1) + " more not plotted."
                               : "") +
            ")";
    }
    return caption;
}

}  // namespace

const char* UnitTitle(SpectrumYUnit unit) {
    switch (unit) {
        case SpectrumYUnit::Counts:
            return "Counts";
        case SpectrumYUnit::Absorbance:
            return "Absorbance";
        case SpectrumYUnit::Transmission:
            return "Transmission";
        case SpectrumYUnit::Arbitrary:
            break;
    }
    return "Arbitrary units";
}

PlotSource PlotSourceFromBytes(const std::string& name, const unsigned char* bytes,
                               std::size_t size) {
    PlotSource source{EscapeControlCharacters(name), CDeviceSpectrum{}, {}};
    const SpectrumLoadResult result = source.spectrum->Load(bytes, size);
    if (result != SpectrumLoadResult::Loaded) {
        source.reason = LoadFailureReason(name, result, source.spectrum->version);
        source.spectrum.reset();
    }
    return source;
}

PlotSource PlotSourceFromFile(const std::string& path) {
    // A name may hold any bytes; the picture's texts are UTF-8 without control characters.
    const std::string name = EscapeControlCharacters(Utf8FromPath(PathFromUtf8(path).filename()));
    int error = 0;
    const int fd = OpenRegularFileForReading(PathFromUtf8(path), error);
    if (fd < 0) {
        return {name, std::nullopt, name + " cannot be read: " + DescribeSystemError(error) + "."};
    }
    // A spectrum is the file's first 8254 bytes; nothing beyond is needed.
    std::vector<unsigned char> bytes(kDeviceFileBytes);
    const std::int64_t got = ReadFully(fd, bytes.data(), bytes.size());
    error = got < 0 ? errno : 0;
    const std::size_t filled = got < 0 ? 0 : static_cast<std::size_t>(got);
    CloseFile(fd);
    if (error != 0) {
        return {name, std::nullopt, name + " cannot be read: " + DescribeSystemError(error) + "."};
    }
    return PlotSourceFromBytes(name, bytes.data(), filled);
}

std::string SpectrumCaption(const std::string& name, const CDeviceSpectrum& spectrum) {
    const char* reference =
        spectrum.referenceChannel == 1 ? "reference: master channel" : "no reference channel";
    return name + ": " + KindWord(name) + ", " + std::to_string(spectrum.integrationTimeMs) +
           " ms, " + std::to_string(spectrum.spectraAveraged) + " averaged, boxcar " +
           std::to_string(spectrum.boxcarSmoothing) + ", " + reference;
}

PlotContent SpectrumPlotContent(const std::vector<PlotSource>& sources, std::size_t selectedCount) {
    std::vector<const PlotSource*> plotted;
    std::vector<const PlotSource*> failed;
    for (std::size_t i = 0; i < sources.size() && i < kMaxOverlaidSpectra; ++i) {
        (sources[i].spectrum ? plotted : failed).push_back(&sources[i]);
    }
    PlotContent content;
    if (plotted.empty()) {
        content.text =
            failed.empty() ? "Select a spectrum file to see it here." : failed.front()->reason;
        return content;
    }
    PlotRequest request;
    for (const PlotSource* source : plotted) {
        request.traces.push_back(TraceOf(*source));
    }
    request.yTitle = YTitle(plotted);
    request.caption = plotted.size() == 1 && failed.empty() && selectedCount <= 1
                          ? SpectrumCaption(plotted.front()->name, *plotted.front()->spectrum)
                          : OverlayCaption(plotted.size(), selectedCount, failed);
    content.plot = std::move(request);
    return content;
}

}  // namespace kiro
