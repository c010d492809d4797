// The three object formats side by side: an n x n grid of quads with one surface, saved as
// LWOB (U2 point numbers, surface per polygon), LWO2 and LWO3 (the LWO2 geometry, the surface as
// a nested form whose colour is in a node graph). Rates of the whole load (parse, build,
// surfaces); LWOB grids stop at 255 x 255, the most points its U2 numbers reach.
#include "bench/lwo_grids.h"
#include "lwo/lwo_mesh.h"

#include <benchmark/benchmark.h>

#include <sstream>

namespace {

std::vector<uint8_t> lwob(const LwoGrid& g) { return lwobGrid(g); }
std::vector<uint8_t> lwo2(const LwoGrid& g) { return lwo2Grid(g); }
std::vector<uint8_t> lwo3(const LwoGrid& g) { return lwo3Grid(g); }

void load(benchmark::State& state, std::vector<uint8_t> (*save)(const LwoGrid&)) {
    const LwoGrid g = lwoGrid(static_cast<int>(state.range(0)));
    const std::vector<uint8_t> bytes = save(g);
    std::ostringstream quiet;
    for (auto _ : state) {
        LwoMesh mesh;
        mesh.diagnostics = &quiet;
        if (mesh.loadFromMemory(bytes.data(), bytes.size(), "grid.lwo") || mesh.polygons.size() != g.quads.size())
            state.SkipWithError(mesh.lastError().c_str());
        benchmark::DoNotOptimize(mesh.polygons.allPositions().data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
    state.counters["polygons/s"] =
        benchmark::Counter(static_cast<double>(g.quads.size()), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["file KB"] = static_cast<double>(bytes.size()) / 1024.0;
}

void BM_LoadLwob(benchmark::State& state) { load(state, lwob); }
void BM_LoadLwo2(benchmark::State& state) { load(state, lwo2); }
void BM_LoadLwo3(benchmark::State& state) { load(state, lwo3); }

BENCHMARK(BM_LoadLwob)->Arg(64)->Arg(255)->Unit(benchmark::kMillisecond);
// 512 x 512: LWO2 and LWO3 files of about 9 MB, past the caches, as the largest real objects are.
BENCHMARK(BM_LoadLwo2)->Arg(64)->Arg(255)->Arg(512)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadLwo3)->Arg(64)->Arg(255)->Arg(512)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
