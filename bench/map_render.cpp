// One frame of the map window: 100,000 cache markers with the shipped borders and towns, drawn
// into an image of the window's default drawing size, at the overview and at a regional view.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <random>

#include "BenchSupport.h"
#include "core/FileUtil.h"
#include "core/NullHost.h"
#include "core/RunContext.h"
#include "ui/MapWindow.h"

namespace vellora {
namespace {

const int kMarkers = bench::benchSize(100000);

void renderFrames(benchmark::State& state, MapView view) {
    bench::ScratchDir dir;
    for (const char* name : {"borders.bin", "german_towns.csv"}) {
        std::filesystem::copy_file(std::string(VELLORA_BENCH_DATA_DIR) + "/" + name, dir.path() + "/" + name);
    }
    NullHost host;
    RunContext ctx(host, dir.path() + "/");
    ctx.settings.WorkDir = dir.path() + "/";
    TfrmMap map(ctx);
    std::mt19937 rng(1);
    std::uniform_real_distribution<double> lat(47.3, 55.0), lon(5.9, 15.0);
    for (int i = 0; i < kMarkers; ++i)
        map.addCache(TExtCache{bench::syntheticWaypoint(i), lat(rng), lon(rng), ""});
    map.setView(view);
    map.open();
    QImage image(640, 560, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        renderMap(map, image);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["markers"] = kMarkers;
    map.close();
}

void BM_MapOverview(benchmark::State& state) {
    renderFrames(state, {6, 14, 47, 55});
}
void BM_MapRegion(benchmark::State& state) {
    renderFrames(state, {10, 12, 49, 50.5});
}
BENCHMARK(BM_MapOverview)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MapRegion)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vellora

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
