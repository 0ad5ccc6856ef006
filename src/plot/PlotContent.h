#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "conversion/YUnits.h"
#include "plot/PlotLayout.h"
#include "readers/ReadingData.h"

namespace kiro {

// The y axis's title for a unit: "Counts", "Absorbance", "Transmission", "Arbitrary units".
const char* UnitTitle(SpectrumYUnit unit);

// No more spectra than this are drawn over one another.
inline constexpr std::size_t kMaxOverlaidSpectra = 8;
// No handheld file is read beyond this for a preview: one byte more than the largest
// spectrum file taken, so that a larger one is told.
inline constexpr std::size_t kMaxPreviewBytes = kMaxSpectrumFileBytes + 1;

// A file to plot: its spectrum, or the one-line reason why there is none. The name is
// kept as it is shown, with control characters and bytes that are not UTF-8 escaped.
struct PlotSource {
    std::string name;
    std::string folder;  // where it lies; tells apart files of one name
    std::optional<SpectrumData> spectrum;
    std::string reason;  // "notes.txt: not a spectrum file that KiroConv reads"
};
PlotSource PlotSourceFromBytes(const std::string& name, const unsigned char* bytes,
                               std::size_t size);
// Any spectrum file on the PC that ReadAnySpectrumFile takes; never waits on a FIFO or
// device.
PlotSource PlotSourceFromFile(const std::string& path);

// "leaf.absorbance_ks: absorbance, 100 ms, 10 averaged, boxcar 2, reference: master", or for
// a converted file its format and whatever of the header it carries.
std::string SpectrumCaption(const std::string& name, const SpectrumData& spectrum);

// The legend's name for each file: its name, and for files of one name the shortest run of
// folder names that tells it from the others ("lamp.scope_ks (2025)", "lamp.scope_ks
// (2024/…)" when deeper folders follow). `folders` go with `names`, separated by / or \.
std::vector<std::string> DistinctLabels(const std::vector<std::string>& names,
                                        const std::vector<std::string>& folders);

// Why the spectra read cannot share one picture: more than two units, each named with its
// files. "" when they can.
std::string UnitsRefusal(const std::vector<PlotSource>& sources);

// What a preview shows for a selection: a plot, or a line of text when there is
// nothing to plot. `selectedCount` may exceed the sources given (only the first
// kMaxOverlaidSpectra are read). Spectra of a third unit or beyond are left out and named
// in a note; the layout gives the first unit the left axis and the second the right.
struct PlotContent {
    std::optional<PlotRequest> plot;
    std::string text;
};
PlotContent SpectrumPlotContent(const std::vector<PlotSource>& sources, std::size_t selectedCount);

}  // namespace kiro
