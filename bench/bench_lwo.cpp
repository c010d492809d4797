// LWO2 load speed on generated UV-mapped grids: an n x n grid of quads with a TXUV VMAP over
// every point and a VMAD seam along one column, one surface. Reports bytes/s of the whole load
// (parse + build + surfaces) and of parsing alone; flat rates across sizes mean linear time.
#include "lwo/lwo_mesh.h"
#include "tests/lwo/lwo_test_writer.h"

#include <benchmark/benchmark.h>

#include <sstream>

namespace {

std::vector<uint8_t> uvGrid(int n) {
    using lwotest::LwoWriter;
    const uint32_t side = static_cast<uint32_t>(n + 1);
    std::vector<Vec3> points;
    std::vector<LwoWriter::MapEntry> uv;
    for (uint32_t y = 0; y < side; ++y) {
        for (uint32_t x = 0; x < side; ++x) {
            points.push_back({float(x), float(y), 0});
            uv.push_back({y * side + x, 0, {float(x) / n, float(y) / n}});
        }
    }
    std::vector<std::vector<uint32_t>> quads;
    std::vector<std::pair<uint32_t, uint16_t>> tags;
    std::vector<LwoWriter::MapEntry> seam;
    for (uint32_t y = 0; y < uint32_t(n); ++y) {
        for (uint32_t x = 0; x < uint32_t(n); ++x) {
            const uint32_t p = y * side + x;
            const uint32_t polygon = static_cast<uint32_t>(quads.size());
            quads.push_back({p, p + 1, p + side + 1, p + side});
            tags.push_back({polygon, 0});
            if (x == uint32_t(n) - 1) seam.push_back({p + 1, polygon, {1.0f, float(y) / n}});
        }
    }
    LwoWriter w;
    w.tags({"Grid"}).layer(1, "Grid").points(points);
    w.vertexMap("VMAP", "TXUV", "uv", 2, uv);
    w.polygons("FACE", quads);
    w.vertexMap("VMAD", "TXUV", "uv", 2, seam);
    w.polygonTags("SURF", tags).surface("Grid", lwotest::colr(1, 1, 1));
    return w.file();
}

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
