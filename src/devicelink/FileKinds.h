#pragma once

#include <string>
#include <string_view>

namespace kiro {

// The kind of a device file: its icon index and the text of the "File Type" column.
struct DeviceFileKind {
    int code = 4;
    std::string text;
};

inline constexpr int kKindFolder = 0;
inline constexpr int kKindOpenFolder = 1;
inline constexpr int kKindConnectedDevice = 2;
inline constexpr int kKindDisconnectedDevice = 3;
inline constexpr int kKindGenericFile = 4;
inline constexpr int kKindSpectrum = 5;
inline constexpr int kKindExperiment = 17;
inline constexpr int kKindAppLog = 18;
inline constexpr int kKindLog = 19;

// The kind text of a generic file is bounded so that it fits a 200-character buffer.
inline constexpr std::size_t kMaxKindTextBytes = 199;

// Derived from the name's extension alone (the text after the last "."), compared
// ignoring letter case.
DeviceFileKind GetFileKind(std::u16string_view fileName);

// Experiment and log files are copied but never converted by a transfer job.
inline bool IsNeverConverted(int kindCode) {
    return kindCode == kKindExperiment || kindCode == kKindAppLog || kindCode == kKindLog;
}

}  // namespace kiro
