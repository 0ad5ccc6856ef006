// Throughput of each writer, in memory and to a file.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "conversion/DelimitedAsciiWriter.h"
#include "conversion/KiroBenchWriter.h"
#include "conversion/LineFormatter.h"
#include "conversion/SpcWriter.h"
#include "testdata/DeviceFileWriter.h"

namespace {

kiro::CDeviceSpectrum Lamp() {
    const std::vector<unsigned char> bytes = kiro::testdata::MakeLampSpectrum().Bytes();
    kiro::CDeviceSpectrum spectrum;
    spectrum.Load(bytes.data(), bytes.size());
    return spectrum;
}

std::filesystem::path BenchFile(const char* name) {
    return std::filesystem::temp_directory_path() / name;
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

void WriteTabFile(benchmark::State& state) {
    const kiro::CDeviceSpectrum spectrum = Lamp();
    const auto path = BenchFile("kiroconv-bench.scope");
    for (auto _ : state) {
        kiro::WriteDelimitedAscii(spectrum, path, '\t');
    }
    std::filesystem::remove(path);
}
BENCHMARK(WriteTabFile);

void WriteKiroBenchFile(benchmark::State& state) {
    const kiro::CDeviceSpectrum spectrum = Lamp();
    const kiro::CSystemClock clock;
    const auto path = BenchFile("kiroconv-bench.Master.scope");
    for (auto _ : state) {
        kiro::WriteKiroBenchFile(spectrum, path, clock);
    }
    std::filesystem::remove(path);
}
BENCHMARK(WriteKiroBenchFile);

void WriteSpcFile(benchmark::State& state) {
    const kiro::CDeviceSpectrum spectrum = Lamp();
    const kiro::CSystemClock clock;
    const auto path = BenchFile("kiroconv-bench.scope.spc");
    for (auto _ : state) {
        kiro::WriteSpcFile(spectrum, path, clock);
    }
    std::filesystem::remove(path);
}
BENCHMARK(WriteSpcFile);

}  // namespace

BENCHMARK_MAIN();
