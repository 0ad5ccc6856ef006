#pragma once

#include <string>

#include "conversion/DeviceFileRecord.h"

namespace kiro {

// A device spectrum file read whole from the PC, or why it could not be.
struct SpectrumFileRead {
    enum class Outcome { Loaded, CannotOpen, NotDeviceSpectrum, Truncated, UnknownVersion };
    Outcome outcome = Outcome::CannotOpen;
    int systemError = 0;       // the system's reason for CannotOpen
    std::size_t size = 0;      // bytes read, for Truncated
    CDeviceSpectrum spectrum;  // complete only when Loaded; `version` set from UnknownVersion on

    bool Loaded() const { return outcome == Outcome::Loaded; }
};

// Reads a device spectrum file. A FIFO or device is refused, never waited on.
SpectrumFileRead ReadSpectrumFile(const std::string& path);

// Why a file did not load, in one line ("not a device spectrum file: unknown version 2").
std::string DescribeSpectrumFileRead(const SpectrumFileRead& read);

}  // namespace kiro
