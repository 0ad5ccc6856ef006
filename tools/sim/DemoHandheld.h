#pragma once

#include <filesystem>

namespace kiro::sim {

// Fills a folder with what a handheld in daily use holds: spectra of every kind,
// experiment, method, calibration and log files, a few everyday files, a nested
// folder and an empty one. Existing files are left as they are.
void FillDemoHandheld(const std::filesystem::path& root);

}  // namespace kiro::sim
