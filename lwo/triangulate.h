// Polygons of any corner count split into triangles, for drawing and export.
//
// A polygon is taken as LightWave stores it: corners in order around its edge, possibly concave,
// possibly not quite flat. Convex polygons become a fan from corner 0, which for triangles and
// quads is exactly the split the mesh has always drawn with ((0, 1, 2) and (0, 2, 3)), so objects
// made of those draw as before. Others are projected on their best-fit plane (the Newell normal)
// and cut by ear clipping. Every triangle keeps the polygon's own turning order, so front faces
// stay front faces. Corner numbers index the polygon's own corner list.
#pragma once

#include "lwo/mesh_build.h"
#include "lwo/span.h"
#include "lwo/vec3.h"

#include <array>
#include <cstdint>
#include <vector>

using CornerTriangle = std::array<int32_t, 3>;

// corners.size() - 2 triangles for 3 or more corners (none for fewer), whatever the shape: a
// polygon too degenerate or self-crossing for a proper ear still yields its full count, its
// leftover corners fanned.
std::vector<CornerTriangle> triangulatePolygon(Span<Vec3> corners);

// The polygon's unnormalised Newell normal: its length is twice the projected area. For a flat
// polygon it is the plane's normal by the right-hand rule over the corner order.
Vec3 newellNormal(Span<Vec3> corners);

// A mesh polygon's triangles as corner numbers; none for fewer than three corners or a polygon
// shorter than its count.
[[nodiscard]] std::vector<CornerTriangle> polygonTriangles(const MeshPolygon& polygon);
// A quad whose triangles are the fan (0, 1, 2), (0, 2, 3): it can go to GL as a quad.
bool isFannedQuad(const MeshPolygon& polygon);
