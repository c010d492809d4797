// LWO2 load speed on generated UV-mapped grids: an n x n grid of quads with a TXUV VMAP over
// every point and a VMAD seam along one column, one surface. Reports bytes/s of the whole load
// (parse + build + surfaces) and of parsing alone; flat rates across sizes mean linear time.
#include "bench/lwo_grids.h"
#include "lwo/lwo_mesh.h"

#include <benchmark/benchmark.h>

#include <sstream>

namespace {

std::vector<uint8_t> uvGrid(int n) { return lwo2Grid(lwoGrid(n), LwoGridLook{true, 1}); }

void BM_LoadUvGrid(benchmark::State& state) {
    const std::vector<uint8_t> file = uvGrid(static_cast<int>(state.range(0)));
    std::ostringstream quiet;
    size_t polygons = 0;
    for (auto _ : state) {
        LwoMesh object;
        object.diagnostics = &quiet;
        if (object.loadFromMemory(file.data(), file.size())) state.SkipWithError("load failed");
        polygons = object.polygons.size();
        benchmark::DoNotOptimize(object.polygons.allPositions().data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.size()));
    state.counters["fileMB"] = double(file.size()) / 1e6;
    state.counters["polygons"] = double(polygons);
}

void BM_ParseUvGrid(benchmark::State& state) {
    const std::vector<uint8_t> file = uvGrid(static_cast<int>(state.range(0)));
    std::ostringstream quiet;
    for (auto _ : state) {
        LwoMesh object;
        object.diagnostics = &quiet;
        if (object.readMemory(file.data(), file.size(), "grid")) state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(object.reader.polygonSets.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.size()));
    state.counters["fileMB"] = double(file.size()) / 1e6;
}

}  // namespace

// 64^2 to 1024^2 quads: about 0.2 MB to 50 MB.
BENCHMARK(BM_LoadUvGrid)->RangeMultiplier(2)->Range(64, 1024)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseUvGrid)->RangeMultiplier(2)->Range(64, 1024)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
