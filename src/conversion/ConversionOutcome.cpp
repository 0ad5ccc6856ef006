#include "conversion/ConversionOutcome.h"

#include "platform/SystemError.h"

namespace kiro {

const char* DescribeConversionStatus(ConversionStatus status) {
    switch (status) {
        case ConversionStatus::Converted:
            return "converted";
        case ConversionStatus::SourceCannotBeOpened:
            return "cannot open the source file";
        case ConversionStatus::NotDeviceSpectrum:
            return "not a device spectrum file";
        case ConversionStatus::OutputCannotBeCreated:
            return "cannot create the output file";
        case ConversionStatus::KindNotConvertible:
            return "kind not convertible";
        case ConversionStatus::OverwriteDeclined:
            return "output exists";
        default:
            return "unknown output format";
    }
}

std::string DescribeConversionOutcome(const ConversionOutcome& outcome) {
    // A FIFO or device is no file to open at all, so its reason stands alone.
    if (outcome.systemError == kNotRegularFileError) {
        return DescribeSystemError(outcome.systemError);
    }
    std::string text = DescribeConversionStatus(outcome.status);
    if (!outcome.formatRefusal.empty()) {
        return text + ": " + std::string(outcome.formatRefusal);
    }
    const bool systemSide = outcome.status == ConversionStatus::SourceCannotBeOpened ||
                            outcome.status == ConversionStatus::OutputCannotBeCreated;
    if (outcome.systemError != 0 && systemSide) {
        text += ": ";
        text += DescribeSystemError(outcome.systemError);
    }
    return text;
}

}  // namespace kiro
