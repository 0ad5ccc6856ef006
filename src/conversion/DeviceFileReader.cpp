#include "conversion/DeviceFileReader.h"

#include <cerrno>

#include "platform/FileCalls.h"
#include "platform/RegularFile.h"
#include "platform/SystemError.h"

namespace kiro {
namespace {

using Outcome = SpectrumFileRead::Outcome;

Outcome OutcomeOf(SpectrumLoadResult result) {
    switch (result) {
        case SpectrumLoadResult::Loaded:
            return Outcome::Loaded;
        case SpectrumLoadResult::NotDeviceSpectrum:
            return Outcome::NotDeviceSpectrum;
        case SpectrumLoadResult::Truncated:
            return Outcome::Truncated;
        case SpectrumLoadResult::UnknownVersion:
            break;
    }
    return Outcome::UnknownVersion;
}

}  // namespace

SpectrumFileRead ReadSpectrumFile(const std::string& path) {
    SpectrumFileRead read;
    const int fd = OpenRegularFileForReading(PathFromUtf8(path), read.systemError);
    if (fd < 0) {
        return read;
    }
    unsigned char bytes[kDeviceFileBytes];
    const std::int64_t size = ReadFully(fd, bytes, sizeof bytes);
    read.systemError = size < 0 ? errno : 0;
    CloseFile(fd);
    if (size < 0) {
        return read;
    }
    read.size = static_cast<std::size_t>(size);
    read.outcome = OutcomeOf(read.spectrum.Load(bytes, read.size));
    return read;
}

std::string DescribeSpectrumFileRead(const SpectrumFileRead& read) {
    switch (read.outcome) {
        case Outcome::Loaded:
            return "loaded";
        case Outcome::CannotOpen:
            if (read.systemError == kNotRegularFileError) {
                return DescribeSystemError(read.systemError);
            }
            return "cannot open the file: " + DescribeSystemError(read.systemError);
        case Outcome::NotDeviceSpectrum:
            return "not a device spectrum file";
        case Outcome::Truncated:
            return "not a device spectrum file: it ends after " + std::to_string(read.size) +
                   " of " + std::to_string(kDeviceFileBytes) + " bytes";
        case Outcome::UnknownVersion:
            break;
    }
    return "not a device spectrum file: unknown version " + std::to_string(read.spectrum.version);
}

}  // namespace kiro
