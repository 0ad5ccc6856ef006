#include "plot/PlotContent.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/DisplayText.h"
#include "platform/FileCalls.h"
#include "readers/AnyFileReader.h"

namespace kiro {

namespace {

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

std::string AcquisitionText(const AcquisitionSettings& settings) {
    const char* reference =
        settings.referenceChannel == 1 ? "reference: master channel" : "no reference channel";
    return std::to_string(settings.integrationTimeMs) + " ms, " +
           std::to_string(settings.spectraAveraged) + " averaged, boxcar " +
           std::to_string(settings.boxcarSmoothing) + ", " + reference;
}

// The units met, in the order of the files.
std::vector<SpectrumYUnit> UnitsOf(const std::vector<const PlotSource*>& sources) {
    std::vector<SpectrumYUnit> units;
    for (const PlotSource* source : sources) {
        if (std::find(units.begin(), units.end(), source->spectrum->unit) == units.end()) {
            units.push_back(source->spectrum->unit);
        }
    }
    return units;
}

std::vector<const PlotSource*> Read(const std::vector<PlotSource>& sources) {
    std::vector<const PlotSource*> read;
    for (const PlotSource& source : sources) {
        if (source.spectrum) {
            read.push_back(&source);
        }
    }
    return read;
}

std::string NameList(const std::vector<const PlotSource*>& sources, SpectrumYUnit unit) {
    std::string names;
    for (const PlotSource* source : sources) {
        if (source->spectrum->unit == unit) {
            names += (names.empty() ? "" : ", ") + source->name;
        }
    }
    return names;
}

std::vector<std::string> FolderNames(const std::string& folder) {
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start <= folder.size()) {
        const std::size_t end = std::min(folder.find_first_of("/\\", start), folder.size());
        if (end > start) {
            names.push_back(folder.substr(start, end - start));
        }
        start = end + 1;
    }
    return names;
}

bool HoldsRun(const std::vector<std::string>& names, std::size_t from, std::size_t to,
              const std::vector<std::string>& other) {
    const auto run =
        std::search(other.begin(), other.end(), names.begin() + from, names.begin() + to);
    return run != other.end();
}

// The shortest run of the file's folder names found in no other file's folders, the one
// nearest the file first; the whole folder when every run is found elsewhere.
std::string DistinguishingPart(const std::vector<std::vector<std::string>>& folders,
                               std::size_t file, const std::string& whole) {
    const std::vector<std::string>& names = folders[file];
    for (std::size_t length = 1; length <= names.size(); ++length) {
        for (std::size_t end = names.size(); end >= length; --end) {
            bool unique = true;
            for (std::size_t other = 0; other < folders.size() && unique; ++other) {
                unique = other == file || !HoldsRun(names, end - length, end, folders[other]);
            }
            if (unique) {
                std::string part;
                for (std::size_t i = end - length; i < end; ++i) {
                    part += (part.empty() ? "" : "/") + names[i];
                }
                return end < names.size() ? part + "/\xE2\x80\xA6" : part;
            }
        }
    }
    return whole;
}

// A reason as a sentence: with its full stop.
std::string Sentence(const std::string& reason) {
    return reason.ends_with('.') ? reason : reason + ".";
}

std::string OverlayCaption(std::size_t plotted, std::size_t selected,
                           const std::vector<const PlotSource*>& failed) {
    std::string caption;
    if (selected > kMaxOverlaidSpectra) {
        caption = std::to_string(selected) + " files selected; the first " +
                  std::to_string(kMaxOverlaidSpectra) + " are plotted.";
    } else {
        caption = std::to_string(plotted) + (plotted == 1 ? " spectrum" : " spectra");
    }
    if (!failed.empty()) {
        caption +=
            " (" + Sentence(failed.front()->reason) +
            (failed.size() > 1 ? " " + std::to_string(failed.size() - 1) + " more not plotted."
                               : "") +
            ")";
    }
    return caption;
}

PlotTrace TraceOf(const PlotSource& source, std::string label) {
    return {std::move(label), UnitTitle(source.spectrum->unit), source.spectrum->wavelengths,
            source.spectrum->values};
}

// A name may hold any bytes, and a reason may quote the file's: the picture's texts are
// UTF-8 without control characters.
PlotSource FromReading(const std::string& name, const std::string& folder,
                       SpectrumReading reading) {
    const std::string shown = EscapeControlCharacters(name);
    return {shown, EscapeControlCharacters(folder), std::move(reading.spectrum),
            reading.failure.empty() ? std::string()
                                    : shown + ": " + EscapeControlCharacters(reading.failure)};
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
    return FromReading(name, {}, ReadAnySpectrum(name, bytes, size));
}

PlotSource PlotSourceFromFile(const std::string& path) {
    const std::filesystem::path file = PathFromUtf8(path);
    std::error_code error;
    std::filesystem::path folder = std::filesystem::absolute(file, error).parent_path();
    if (error) {
        folder = file.parent_path();
    }
    return FromReading(Utf8FromPath(file.filename()), Utf8FromPath(folder.lexically_normal()),
                       ReadAnySpectrumFile(path));
}

std::string SpectrumCaption(const std::string& name, const SpectrumData& spectrum) {
    std::string caption = name + ": ";
    caption += spectrum.format == SpectrumFormat::Device
                   ? KindWord(name)
                   : std::string(SpectrumFormatDescription(spectrum.format));
    if (spectrum.acquisition) {
        caption += ", " + AcquisitionText(*spectrum.acquisition);
    }
    return caption;
}

std::vector<std::string> DistinctLabels(const std::vector<std::string>& names,
                                        const std::vector<std::string>& folders) {
    std::vector<std::string> labels = names;
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::vector<std::size_t> namesakes;
        for (std::size_t j = 0; j < names.size(); ++j) {
            if (names[j] == names[i]) {
                namesakes.push_back(j);
            }
        }
        if (namesakes.size() < 2) {
            continue;
        }
        std::vector<std::vector<std::string>> split;
        std::size_t self = 0;
        for (const std::size_t j : namesakes) {
            self = j == i ? split.size() : self;
            split.push_back(FolderNames(j < folders.size() ? folders[j] : std::string()));
        }
        const std::string whole = i < folders.size() && !folders[i].empty() ? folders[i] : "/";
        labels[i] = names[i] + " (" + DistinguishingPart(split, self, whole) + ")";
    }
    return labels;
}

std::string UnitsRefusal(const std::vector<PlotSource>& sources) {
    const std::vector<const PlotSource*> read = Read(sources);
    const std::vector<SpectrumYUnit> units = UnitsOf(read);
    if (units.size() <= 2) {
        return {};
    }
    std::string sentence = "The files hold " + std::to_string(units.size()) + " units: ";
    for (std::size_t i = 0; i < units.size(); ++i) {
        sentence += i == 0 ? "" : i + 1 == units.size() ? " and " : ", ";
        sentence += std::string(YUnitName(units[i])) + " (" + NameList(read, units[i]) + ")";
    }
    return sentence + "; a picture shows at most two, on a left and a right axis.";
}

PlotContent SpectrumPlotContent(const std::vector<PlotSource>& sources, std::size_t selectedCount) {
    std::vector<const PlotSource*> plotted;
    std::vector<const PlotSource*> failed;
    for (std::size_t i = 0; i < sources.size() && i < kMaxOverlaidSpectra; ++i) {
        (sources[i].spectrum ? plotted : failed).push_back(&sources[i]);
    }
    PlotContent content;
    if (plotted.empty()) {
        content.text = failed.empty() ? "Select a spectrum file to see it here."
                                      : Sentence(failed.front()->reason);
        return content;
    }
    const std::vector<SpectrumYUnit> units = UnitsOf(plotted);
    std::vector<const PlotSource*> drawn;
    std::string leftOut;
    for (const PlotSource* source : plotted) {
        const std::size_t axis = static_cast<std::size_t>(
            std::find(units.begin(), units.end(), source->spectrum->unit) - units.begin());
        if (axis < 2) {
            drawn.push_back(source);
        } else {
            leftOut += (leftOut.empty() ? "" : ", ") + source->name + " (" +
                       UnitTitle(source->spectrum->unit) + ")";
        }
    }
    std::vector<std::string> names;
    std::vector<std::string> folders;
    for (const PlotSource* source : drawn) {
        names.push_back(source->name);
        folders.push_back(source->folder);
    }
    const std::vector<std::string> labels = DistinctLabels(names, folders);
    PlotRequest request;
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        request.traces.push_back(TraceOf(*drawn[i], labels[i]));
    }
    const bool alone = drawn.size() == 1 && failed.empty() && leftOut.empty() && selectedCount <= 1;
    request.caption = alone ? SpectrumCaption(drawn.front()->name, *drawn.front()->spectrum)
                            : OverlayCaption(drawn.size(), selectedCount, failed);
    if (!leftOut.empty()) {
        request.notes.push_back("Not drawn, as a picture shows two units at most: " + leftOut);
    }
    content.plot = std::move(request);
    return content;
}

}  // namespace kiro
