// CPU-side arrays made from mesh polygons: the interleaved triangle array drawn with one call,
// and the position lists a morph moves from one shape to another. No GL calls here.
//
// The interleaved layout is GL_T2F_C3F_V3F: s, t, r, g, b, x, y, z per vertex, 32 bytes,
// tightly packed. Morph positions are in the mesh's (negated) coordinates.
#pragma once

#include "lwo/mesh_build.h"
#include "lwo/triangulate.h"
#include "lwo/vec3.h"

#include <cstdint>
#include <vector>

using PositionList = std::vector<Vec3>;

constexpr int kInterleavedFloatsPerVertex = 8;

// Every polygon as its triangles (polygonTriangles): triangles as they are, convex quads as (0,
// 1, 2) and (0, 2, 3), others cut as lwo/triangulate.h says. Textured corners are white with
// their uv; others have the polygon's colour and texture coordinates (0, 0).
[[nodiscard]] std::vector<float> buildInterleavedTriangles(const MeshPolygons& polygons);

// Every corner position of every polygon, polygon by polygon.
[[nodiscard]] PositionList collectCornerPositions(const MeshPolygons& polygons);

// One step of a live morph: point i of `current` moves by (target_i - start_i) / steps while
// stepCount < steps. A target shorter than start repeats its last point; an empty target
// leaves everything in place.
void applyMorphStep(const PositionList& start, const PositionList& target, PositionList& current,
                    uint32_t stepCount, float steps);

// The frames of a precomputed morph: frame k is k + 1 steps away from start.
[[nodiscard]] std::vector<PositionList> buildMorphFrameList(const PositionList& start,
                                                            const PositionList& target, float steps);

// How morph drawing groups points: the first polygon's corner count when it is 3 or 4, else 0
// (nothing is drawn).
int morphGroupSize(const MeshPolygons& polygons);
