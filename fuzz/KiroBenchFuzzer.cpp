// KiroBench data files are text from anywhere: any bytes load or are refused cleanly, and
// a file that loads is refused once cut before its end marker.

#include "ReaderChecks.h"
#include "readers/KiroBenchReader.h"

using kiro::SpectrumFormat;
using kiro::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The seeds' first line is the real one; the fuzzer changes the rest.
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const kiro::SpectrumReading reading =
        kiro::ReadKiroBench(text, kiro::SpectrumYUnit::Absorbance, true);
    kiro::fuzz::CheckReading(reading, SpectrumFormat::KiroBench);
    if (!reading.spectrum) {
        return 0;
    }
    Require(kiro::LooksLikeKiroBench(text), "only a KiroBench first line loads");
    kiro::fuzz::CheckSameThroughDispatch("x.Master.absorbance", data, size, reading);
    const std::size_t end = text.rfind(">>>>>End Spectral Data<<<<<");
    Require(end != std::string_view::npos, "a loaded file has its end marker");
    Require(
        !kiro::ReadKiroBench(text.substr(0, end), kiro::SpectrumYUnit::Absorbance, true).spectrum,
        "a file cut before its end marker is refused");
    return 0;
}
