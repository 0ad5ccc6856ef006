// JCAMP-DX files are text from anywhere: any bytes load or are refused cleanly, the
// declared count holds, and a file that loads is refused once its ##END is cut off.

#include "ReaderChecks.h"
#include "readers/JcampReader.h"

using kiro::SpectrumFormat;
using kiro::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const kiro::SpectrumReading reading = kiro::ReadJcamp(text);
    kiro::fuzz::CheckReading(reading, SpectrumFormat::Jcamp);
    if (kiro::LooksLikeJcamp(text)) {
        kiro::fuzz::CheckSameThroughDispatch("x.scope.jdx", data, size, reading);
    }
    if (!reading.spectrum) {
        return 0;
    }
    // Only blank lines may follow ##END, so the last line that starts a label is that one.
    const std::size_t end = text.rfind("\n##");
    Require(end != std::string_view::npos, "a loaded file has a label after its title");
    Require(!kiro::ReadJcamp(text.substr(0, end + 1)).spectrum, "a file without ##END is refused");
    return 0;
}
