#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "conversion/DeviceFileRecord.h"
#include "conversion/YUnits.h"
#include "plot/PlotLayout.h"

namespace kiro {

// The y axis's title for a unit: "Counts", "Absorbance", "Transmission", "Arbitrary units".
const char* UnitTitle(SpectrumYUnit unit);

// No more spectra than this are drawn over one another.
inline constexpr std::size_t kMaxOverlaidSpectra = 8;
// No file is read beyond this for a preview: a spectrum file is 8 KB.
inline constexpr std::size_t kMaxPreviewBytes = 1024 * 1024;

// A file to plot: its spectrum, or the one-line reason why there is none. The name is
// kept as it is shown, with control characters and bytes that are not UTF-8 escaped.
struct PlotSource {
    std::string name;
    std::optional<CDeviceSpectrum> spectrum;
    std::string reason;
};
PlotSource PlotSourceFromBytes(const std::string& name, const unsigned char* bytes,
                               std::size_t size);
// Reads at most kMaxPreviewBytes of a file on the PC; never waits on a FIFO or device.
PlotSource PlotSourceFromFile(const std::string& path);

// "leaf.absorbance_ks: absorbance, 100 ms, 10 averaged, boxcar 2, reference: master"
std::string SpectrumCaption(const std::string& name, const CDeviceSpectrum& spectrum);

// What a preview shows for a selection: a plot, or a line of text when there is
// nothing to plot. `selectedCount` may exceed the sources given (only the first
// kMaxOverlaidSpectra are read).
struct PlotContent {
    std::optional<PlotRequest> plot;
    std::string text;
};
PlotContent SpectrumPlotContent(const std::vector<PlotSource>& sources, std::size_t selectedCount);

}  // namespace kiro
