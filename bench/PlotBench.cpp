// The plot of spectra: laying it out, and writing it as PNG (Cairo) and SVG, as the command
// line and the window's Save commands do. The window draws the same layout on screen.
#include <benchmark/benchmark.h>

#include "plot/PlotContent.h"
#include "render/PlotFiles.h"
#include "testdata/DeviceFileWriter.h"

namespace {

using namespace kiro;

PlotRequest Request(std::size_t spectra) {
    std::vector<PlotSource> sources;
    for (std::size_t i = 0; i < spectra; ++i) {
        const std::vector<unsigned char> bytes =
            testdata::MakeLampSpectrum(static_cast<unsigned>(i + 1)).Bytes();
        sources.push_back(PlotSourceFromBytes("lamp.scope_ks", bytes.data(), bytes.size()));
    }
    PlotRequest request = *SpectrumPlotContent(sources, spectra).plot;
    request.width = 760;
    request.height = 300;
    return request;
}

void BM_LayOut(benchmark::State& state) {
    const PlotRequest request = Request(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(LayOutPlot(request));
    }
}
BENCHMARK(BM_LayOut)->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond);

void BM_LayOutAndDrawPng(benchmark::State& state) {
    const PlotRequest request = Request(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(RenderPlot(LayOutPlot(request), PlotFileFormat::Png));
    }
}
BENCHMARK(BM_LayOutAndDrawPng)->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond);

void BM_LayOutAndWriteSvg(benchmark::State& state) {
    const PlotRequest request = Request(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(RenderPlot(LayOutPlot(request), PlotFileFormat::Svg));
    }
}
BENCHMARK(BM_LayOutAndWriteSvg)->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
