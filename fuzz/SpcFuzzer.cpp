// SPC files come from anywhere: any bytes load or are refused cleanly, nothing is read
// beyond the declared arrays, and a file that loads is refused once cut inside them.

#include "ReaderChecks.h"
#include "readers/SpcReader.h"

using kiro::SpectrumFormat;
using kiro::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const kiro::SpectrumReading reading = kiro::ReadSpc(data, size);
    kiro::fuzz::CheckReading(reading, SpectrumFormat::Spc);
    if (kiro::LooksLikeSpc(data, size)) {
        kiro::fuzz::CheckSameThroughDispatch("x.scope.spc", data, size, reading);
    }
    if (!reading.spectrum) {
        return 0;
    }
    const std::size_t points = reading.spectrum->values.size();
    const std::size_t needed = 512 + 8 * points + 32;
    Require(size >= needed, "the arrays lie inside the file");
    Require(!kiro::ReadSpc(data, needed - 1).spectrum, "a file cut inside its arrays is refused");
    return 0;
}
