// Tab- and comma-delimited spectra are text from anywhere: any bytes load or are refused
// cleanly, every point is one line, and the general reader takes the file by its name.

#include <algorithm>

#include "ReaderChecks.h"
#include "readers/DelimitedTextReader.h"
#include "readers/JcampReader.h"
#include "readers/KiroBenchReader.h"
#include "readers/SpcReader.h"

using kiro::SpectrumFormat;
using kiro::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const kiro::SpectrumReading reading =
        kiro::ReadDelimitedText(text, kiro::SpectrumYUnit::Counts);
    kiro::fuzz::CheckReading(reading, SpectrumFormat::Tab);
    if (reading.spectrum) {
        const auto lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
        Require(reading.spectrum->values.size() <= lines + 1, "no point without its line");
        Require(reading.spectrum->unit == kiro::SpectrumYUnit::Counts,
                "the unit is the one the name gave");
    }
    // Other headers come first: only bytes that are none of them reach the delimited reader.
    if (size <= kiro::kMaxSpectrumFileBytes && !kiro::LooksLikeKiroBench(text) &&
        !kiro::LooksLikeJcamp(text) && !kiro::LooksLikeSpc(data, size) &&
        !(size >= 4 && data[0] == 0xFC && data[1] == 0x56 && data[2] == 0xB3 && data[3] == 0xA8)) {
        kiro::fuzz::CheckSameThroughDispatch("lamp.Master.scope", data, size, reading);
    }
    return 0;
}
