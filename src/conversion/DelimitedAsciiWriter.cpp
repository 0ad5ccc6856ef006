#include "conversion/DelimitedAsciiWriter.h"

#include "conversion/LineFormatter.h"
#include "platform/AtomicFile.h"

namespace kiro {

std::string FormatDelimitedAscii(const CDeviceSpectrum& spectrum, char separator) {
    std::string text;
    AppendSpectrumLines(text, spectrum, separator);
    return text;
}

WriteResult WriteDelimitedAscii(const CDeviceSpectrum& spectrum,
                                const std::filesystem::path& output, char separator) {
    const std::string text = FormatDelimitedAscii(spectrum, separator);
    return WriteFileAtomically(output, text) == AtomicWriteResult::Written
               ? WriteResult::Written
               : WriteResult::CannotCreate;
}

}  // namespace kiro
