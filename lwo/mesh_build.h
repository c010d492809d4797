// The mesh model: drawable polygons built from a parsed LWO2 file.
//
// Building resolves point numbers to positions (all three coordinates negated, which turns the
// file's left-handed axes into the engine's), attaches TXUV coordinates (v flipped to 1 - v:
// texture row 0 is the picture's top) and later copies surface colours and texture flags.
// Polygons of a surface whose picture is mapped by projection (an image block, or an LWOB colour
// texture, projecting planar, cylindrical, spherical or cubic) that no UV map reaches get their
// uvs from that projection (lwo/projection_uv.h), flipped the same way, so they draw as UV-mapped
// ones do.
// Vertex-map look-ups go through per-map indexes (point -> first entry), so building is linear
// in the number of corners and map entries. Colours are 0-1 floats.
#pragma once

#include "lwo/lwo_reader.h"
#include "lwo/vec3.h"

#include <cstdint>
#include <string>
#include <vector>

// One UV entry of a corner; the third value is carried but nothing reads it.
struct MeshUv {
    float u = 0.0f;
    float v = 0.0f;
    float unused = 0.0f;
};

struct MeshPolygon {
    std::vector<Vec3> positions;  // one per corner, negated file coordinates
    int32_t cornerCount = 0;  // 0-1023
    // Entry j belongs to corner j when exactly one map covers every corner; shorter when a map
    // lacks a corner, longer when several maps cover one.
    std::vector<MeshUv> uvs;
    bool textured = false;  // its surface draws textured (drawsTextured)
    int32_t layer = 0;  // LAYR chunks read before its POLS chunk
    LwoColour colour = {1.0f, 1.0f, 1.0f};  // white until a surface says otherwise

    // Corner j is drawn with texture coordinates: the surface is textured and a uv is there.
    bool cornerTextured(size_t j) const { return textured && j < uvs.size(); }
};

// More UV entries than this on one corner (one per covering map) fail the build: no real object
// layers that many maps on a point, and it bounds the memory a small file can ask for.
constexpr size_t kMaxUvEntriesPerCorner = 8;

// Where each polygon set's polygons start in the polygon list, per set (one build).
using PolygonSetStarts = std::vector<int32_t>;

// Appends a polygon for every polygon of every set. uvMap < 0 uses every TXUV map; otherwise
// only map number uvMap and the per-polygon maps of the same name; then projected uvs where no
// map gave any. True on failure (an index out of range), with the located reason in *error.
[[nodiscard]] bool buildMeshPolygons(const LwoReader& reader, int uvMap,
                                     std::vector<MeshPolygon>& polygons, PolygonSetStarts& setStarts,
                                     std::string* error);

// The surface (index into reader.surfaces) each polygon takes, by its last SURF tag; -1 where
// no tag names a surface.
[[nodiscard]] std::vector<int32_t> polygonSurfaceIndices(const LwoReader& reader,
                                                         const PolygonSetStarts& setStarts,
                                                         size_t polygonCount);

// A surface draws textured when it has a texture block (LWO2 sets hasBlock for any BLOK) or
// names its picture itself (LWOB's colour texture, LWO3's material or colour block), so objects
// of every format take the same drawing path.
bool drawsTextured(const LwoSurface& surface);

// Gives every polygon reached by a SURF polygon tag its surface's colour (or `colour` when
// given) and sets `textured` when the surface draws textured. Surfaces are found by the tag's
// name. Returns the number of polygon tag sets.
int applySurfaceColours(const LwoReader& reader, const PolygonSetStarts& setStarts,
                        std::vector<MeshPolygon>& polygons, const LwoColour* colour = nullptr);
