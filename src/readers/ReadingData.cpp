#include "readers/ReadingData.h"

namespace kiro {

std::string_view SpectrumFormatName(SpectrumFormat format) {
    switch (format) {
        case SpectrumFormat::Device:
            return "device";
        case SpectrumFormat::Tab:
            return "tab";
        case SpectrumFormat::Comma:
            return "comma";
        case SpectrumFormat::KiroBench:
            return "kirobench";
        case SpectrumFormat::Spc:
            return "spc";
        case SpectrumFormat::Jcamp:
            break;
    }
    return "jcamp";
}

std::string_view SpectrumFormatDescription(SpectrumFormat format) {
    switch (format) {
        case SpectrumFormat::Device:
            return "Kiro-SCAN spectrum file";
        case SpectrumFormat::Tab:
            return "tab-delimited text";
        case SpectrumFormat::Comma:
            return "comma-delimited text";
        case SpectrumFormat::KiroBench:
            return "KiroBench data file";
        case SpectrumFormat::Spc:
            return "SPC file";
        case SpectrumFormat::Jcamp:
            break;
    }
    return "JCAMP-DX file";
}

}  // namespace kiro
