#include "bench/lwo_grids.h"

#include "lwo/lwo_writer.h"

#include <cstring>
#include <string>
#include <utility>

namespace {

struct Colour {
    float r, g, b;
};

// Distinct colours so that a viewer shows the bands apart.
Colour bandColour(int band) {
    static const Colour kColours[] = {{0.8f, 0.4f, 0.2f}, {0.2f, 0.5f, 0.8f}, {0.3f, 0.7f, 0.3f}};
    return kColours[band % 3];
}

std::string bandName(int band) { return band == 0 ? "Grid" : "Grid " + std::to_string(band + 1); }

int bandOfRow(const LwoGrid& grid, uint32_t row, int surfaces) {
    return static_cast<int>(static_cast<int64_t>(row) * surfaces / grid.n);
}

LwoBytes chunk4(const char* id, const LwoBytes& body) {
    LwoBytes b;
    b.id(id).u4(static_cast<uint32_t>(body.size())).raw(body);
    if (body.size() % 2) b.u1(0);
    return b;
}

LwoBytes form(const char* type, const LwoBytes& body) { return chunk4("FORM", LwoBytes().id(type).raw(body)); }

LwoBytes f8(LwoBytes b, double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return b.u4(static_cast<uint32_t>(bits >> 32)).u4(static_cast<uint32_t>(bits));
}

LwoBytes names(int surfaces) {
    LwoBytes b;
    for (int band = 0; band < surfaces; ++band) b.s0(bandName(band));
    return b;
}

std::vector<LwoWriter::MapEntry> uvEntries(const LwoGrid& grid) {
    const uint32_t side = static_cast<uint32_t>(grid.n + 1);
    const float n = static_cast<float>(grid.n);
    std::vector<LwoWriter::MapEntry> uv;
    uv.reserve(grid.points.size());
    for (uint32_t y = 0; y < side; ++y)
        for (uint32_t x = 0; x < side; ++x) uv.push_back({y * side + x, 0, {float(x) / n, float(y) / n}});
    return uv;
}

// The last column's right-hand corners again, per polygon: where a wrapped map would meet itself.
std::vector<LwoWriter::MapEntry> seamEntries(const LwoGrid& grid) {
    const uint32_t side = static_cast<uint32_t>(grid.n + 1);
    std::vector<LwoWriter::MapEntry> seam;
    for (uint32_t y = 0; y < uint32_t(grid.n); ++y) {
        const uint32_t polygon = y * uint32_t(grid.n) + uint32_t(grid.n) - 1;
        seam.push_back({y * side + uint32_t(grid.n), polygon, {1.0f, float(y) / float(grid.n)}});
    }
    return seam;
}

// TAGS, LAYR, PNTS, the UV map, POLS, the seam and PTAG: what LWO2 and LWO3 share.
LwoWriter geometry(const LwoGrid& grid, const LwoGridLook& look) {
    std::vector<std::pair<uint32_t, uint16_t>> tags;
    tags.reserve(grid.quads.size());
    for (uint32_t q = 0; q < grid.quads.size(); ++q)
        tags.push_back({q, static_cast<uint16_t>(bandOfRow(grid, q / uint32_t(grid.n), look.surfaces))});
    LwoWriter w;
    w.chunk("TAGS", names(look.surfaces)).layer(0, "Grid").points(grid.points);
    if (look.uvMap) w.vertexMap("VMAP", "TXUV", "uv", 2, uvEntries(grid));
    w.polygons("FACE", grid.quads);
    if (look.uvMap) w.vertexMap("VMAD", "TXUV", "uv", 2, seamEntries(grid));
    w.polygonTags("SURF", tags);
    return w;
}

// An LWO3 surface: its colour is the Color input of the material node wired to the surface.
LwoBytes lwo3Surface(const std::string& name, Colour c) {
    LwoBytes doubles = f8(f8(f8(LwoBytes().u4(3), c.r), c.g), c.b);
    LwoBytes value = form("VALU", chunk4("    ", LwoBytes().s0("vparam3")).raw(form("VALU", chunk4("    ", doubles))));
    LwoBytes entry = form("ENTR", chunk4("NAME", LwoBytes().s0("Color")).raw(value));
    LwoBytes data = form("NDTA", form("ATTR", form("META", form("ADAT", entry))));
    LwoBytes node = form("NTAG", chunk4("NNME", LwoBytes().s0("Mat (1)")).raw(data));
    LwoBytes links = form("NCON", chunk4("INME", LwoBytes().s0("Surface"))
                                      .raw(chunk4("IINM", LwoBytes().s0("Material")))
                                      .raw(chunk4("IINN", LwoBytes().s0("Mat (1)"))));
    LwoBytes nodes = form("NODS", form("NNDS", node).raw(links));
    return form("SURF", chunk4("    ", LwoBytes().s0(name).s0("")).raw(nodes));
}

}  // namespace

LwoGrid lwoGrid(int n) {
    LwoGrid g;
    g.n = n;
    const uint32_t side = static_cast<uint32_t>(n + 1);
    g.points.reserve(size_t(side) * side);
    for (uint32_t y = 0; y < side; ++y)
        for (uint32_t x = 0; x < side; ++x) g.points.push_back({float(x), float(y), 0});
    g.quads.reserve(size_t(n) * size_t(n));
    for (uint32_t y = 0; y < uint32_t(n); ++y)
        for (uint32_t x = 0; x < uint32_t(n); ++x) {
            const uint32_t p = y * side + x;
            g.quads.push_back({p, p + 1, p + side + 1, p + side});
        }
    return g;
}

std::vector<uint8_t> lwobGrid(const LwoGrid& grid, int surfaces) {
    LwoBytes polygons;
    for (uint32_t q = 0; q < grid.quads.size(); ++q) {
        polygons.u2(4);
        for (uint32_t p : grid.quads[q]) polygons.u2(p);
        polygons.u2(static_cast<uint32_t>(bandOfRow(grid, q / uint32_t(grid.n), surfaces) + 1));
    }
    LwoWriter w;
    w.chunk("SRFS", names(surfaces)).points(grid.points).chunk("POLS", polygons);
    for (int band = 0; band < surfaces; ++band) {
        const Colour c = bandColour(band);
        LwoBytes rgb = LwoBytes().u1(uint32_t(c.r * 255)).u1(uint32_t(c.g * 255)).u1(uint32_t(c.b * 255)).u1(0);
        w.chunk("SURF", LwoBytes().s0(bandName(band)).raw(lwoSubChunk("COLR", rgb)));
    }
    return w.file("LWOB");
}

std::vector<uint8_t> lwo2Grid(const LwoGrid& grid, const LwoGridLook& look) {
    LwoWriter w = geometry(grid, look);
    for (int band = 0; band < look.surfaces; ++band) {
        const Colour c = bandColour(band);
        w.surface(bandName(band), lwoSubChunk("COLR", LwoBytes().f4(c.r).f4(c.g).f4(c.b).vx(0)));
    }
    return w.file("LWO2");
}

std::vector<uint8_t> lwo3Grid(const LwoGrid& grid, const LwoGridLook& look) {
    LwoWriter w = geometry(grid, look);
    for (int band = 0; band < look.surfaces; ++band) w.rawBytes(lwo3Surface(bandName(band), bandColour(band)));
    return w.file("LWO3");
}
