// The three object formats side by side: an n x n grid of quads with one surface, saved as
// LWOB (U2 point numbers, surface per polygon), LWO2 and LWO3 (the LWO2 geometry, the surface as
// a nested form whose colour is in a node graph). Rates of the whole load (parse, build,
// surfaces); LWOB grids stop at 255 x 255, the most points its U2 numbers reach.
#include "lwo/lwo_mesh.h"
#include "lwo/lwo_writer.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <sstream>

namespace {

LwoBytes chunk4(const char* id, const LwoBytes& body) {
    LwoBytes b;
    b.id(id).u4(static_cast<uint32_t>(body.size())).raw(body);
    if (body.size() % 2) b.u1(0);
    return b;
}

LwoBytes form(const char* type, const LwoBytes& body) { return chunk4("FORM", LwoBytes().id(type).raw(body)); }

struct Grid {
    std::vector<Vec3> points;
    std::vector<std::vector<uint32_t>> quads;
};

Grid grid(int n) {
    Grid g;
    const uint32_t side = static_cast<uint32_t>(n + 1);
    for (uint32_t y = 0; y < side; ++y)
        for (uint32_t x = 0; x < side; ++x) g.points.push_back({float(x), float(y), 0});
    for (uint32_t y = 0; y < uint32_t(n); ++y)
        for (uint32_t x = 0; x < uint32_t(n); ++x) {
            const uint32_t p = y * side + x;
            g.quads.push_back({p, p + 1, p + side + 1, p + side});
        }
    return g;
}

std::vector<uint8_t> lwob(const Grid& g) {
    LwoBytes polygons;
    for (const auto& quad : g.quads) {
        polygons.u2(4);
        for (uint32_t p : quad) polygons.u2(p);
        polygons.u2(1);
    }
    LwoBytes surface = LwoBytes().s0("Grid").raw(lwoSubChunk("COLR", LwoBytes().u1(200).u1(100).u1(50).u1(0)));
    LwoWriter w;
    w.chunk("SRFS", LwoBytes().s0("Grid")).points(g.points).chunk("POLS", polygons).chunk("SURF", surface);
    return w.file("LWOB");
}

LwoWriter geometry(const Grid& g) {
    std::vector<std::pair<uint32_t, uint16_t>> tags;
    for (uint32_t q = 0; q < g.quads.size(); ++q) tags.push_back({q, 0});
    LwoWriter w;
    w.tags({"Grid"}).layer(0, "Grid").points(g.points).polygons("FACE", g.quads).polygonTags("SURF", tags);
    return w;
}

std::vector<uint8_t> lwo2(const Grid& g) {
    LwoBytes colour = LwoBytes().f4(0.8f).f4(0.4f).f4(0.2f).vx(0);
    return geometry(g).surface("Grid", lwoSubChunk("COLR", colour)).file("LWO2");
}

LwoBytes f8(LwoBytes b, double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return b.u4(static_cast<uint32_t>(bits >> 32)).u4(static_cast<uint32_t>(bits));
}

std::vector<uint8_t> lwo3(const Grid& g) {
    LwoBytes doubles = f8(f8(f8(LwoBytes().u4(3), 0.8), 0.4), 0.2);
    LwoBytes value = form("VALU", chunk4("    ", LwoBytes().s0("vparam3")).raw(form("VALU", chunk4("    ", doubles))));
    LwoBytes entry = form("ENTR", chunk4("NAME", LwoBytes().s0("Color")).raw(value));
    LwoBytes data = form("NDTA", form("ATTR", form("META", form("ADAT", entry))));
    LwoBytes node = form("NTAG", chunk4("NNME", LwoBytes().s0("Mat (1)")).raw(data));
    LwoBytes links = form("NCON", chunk4("INME", LwoBytes().s0("Surface"))
                                      .raw(chunk4("IINM", LwoBytes().s0("Material")))
                                      .raw(chunk4("IINN", LwoBytes().s0("Mat (1)"))));
    LwoBytes nodes = form("NODS", form("NNDS", node).raw(links));
    LwoBytes surface = form("SURF", chunk4("    ", LwoBytes().s0("Grid").s0("")).raw(nodes));
    return geometry(g).rawBytes(surface).file("LWO3");
}

void load(benchmark::State& state, std::vector<uint8_t> (*save)(const Grid&)) {
    const Grid g = grid(static_cast<int>(state.range(0)));
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
