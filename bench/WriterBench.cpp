// Throughput of each writer in memory, and of writing one output to a file.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "conversion/DelimitedAsciiWriter.h"
#include "conversion/JcampWriter.h"
#include "conversion/KiroBenchWriter.h"
#include "conversion/LineFormatter.h"
#include "conversion/SpcWriter.h"
#include "platform/AtomicFile.h"
#include "platform/Clock.h"
#include "testdata/DeviceFileWriter.h"

namespace {

kiro::CDeviceSpectrum Lamp() {
    const std::vector<unsigned char> bytes = kiro::testdata::MakeLampSpectrum().Bytes();
    kiro::CDeviceSpectrum spectrum;
    spectrum.Load(bytes.data(), bytes.size());
    return spectrum;
}

void FormatTabInMemory(benchmark::State& state) {
    const kiro::CDeviceSpectrum spectrum = Lamp();
    for (auto _ : state) {
        benchmark::DoNotOptimize(kiro::FormatDelimitedAscii(spectrum, '\t'));
    }
    state.SetItemsProcessed(state.iterations() * 2048);
}
BENCHMARK(FormatTabInMemory);

void FormatKiroBenchInMemory(benchmark::State& state) {
    const kiro::CDeviceSpectrum spectrum = Lamp();
    const std::tm now = kiro::MakeLocalTime(2026, 12, 6, 12, 0, 0);
    for (auto _ : state) {
        benchmark::DoNotOptimize(kiro::FormatKiroBenchFile(spectrum, now));
    }
    state.SetItemsProcessed(state.iterations() * 2048);
}
BENCHMARK(FormatKiroBenchInMemory);

void FormatSpcInMemory(benchmark::State& state) {
    const kiro::CDeviceSpectrum spectrum = Lamp();
    const std::tm now = kiro::MakeLocalTime(2026, 12, 6, 12, 0, 0);
    for (auto _ : state) {
        benchmark::DoNotOptimize(kiro::FormatSpcFile(spectrum, now));
    }
    state.SetItemsProcessed(state.iterations() * 2048);
}
BENCHMARK(FormatSpcInMemory);

void FormatJcampInMemory(benchmark::State& state) {
    const kiro::CDeviceSpectrum spectrum = Lamp();
    for (auto _ : state) {
        benchmark::DoNotOptimize(kiro::FormatJcampFile(spectrum, "lamp.scope_ks", "alice"));
    }
    state.SetItemsProcessed(state.iterations() * 2048);
}
BENCHMARK(FormatJcampInMemory);

// One whole output through the atomic writer: temporary file, write, rename.
void WriteTabFile(benchmark::State& state) {
    const std::string text = kiro::FormatDelimitedAscii(Lamp(), '\t');
    const auto path = std::filesystem::temp_directory_path() / "kiroconv-bench.scope";
    for (auto _ : state) {
        kiro::WriteFileAtomically(path, text);
    }
    std::filesystem::remove(path);
}
BENCHMARK(WriteTabFile);

}  // namespace

BENCHMARK_MAIN();
