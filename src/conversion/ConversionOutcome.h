#pragma once

#include <string>
#include <string_view>

namespace kiro {

// How one conversion ended.
enum class ConversionStatus {
    Converted,
    SourceCannotBeOpened,
    NotDeviceSpectrum,
    OutputCannotBeCreated,
    KindNotConvertible,
    OverwriteDeclined,
    UnknownOutputFormat,
};

// What one conversion gives back, from the checks to the caller's report.
struct ConversionOutcome {
    ConversionStatus status = ConversionStatus::Converted;
    // The system's reason (an errno value) for SourceCannotBeOpened and
    // OutputCannotBeCreated; 0 otherwise.
    int systemError = 0;
    // Where the output goes; empty when the format or the kind gives none.
    std::string outputPath;
    // Why OutputCannotBeCreated when the system gave no reason: the format cannot hold
    // this spectrum. Empty otherwise.
    std::string_view formatRefusal;

    bool Converted() const { return status == ConversionStatus::Converted; }
};

// A short English reason for a status, for reports to the user.
const char* DescribeConversionStatus(ConversionStatus status);
// The same, with the system's or the format's reason appended when there is one
// ("cannot create the output file: No space left on device").
std::string DescribeConversionOutcome(const ConversionOutcome& outcome);

}  // namespace kiro
