// Texture coordinates from a projection: how LightWave lays an image over a surface that has no
// UV map, by the image block's projection, axis, centre, size, rotation and wrap counts. Pure
// arithmetic (no GL, no file reading), shared by every object format.
//
// Coordinates are the object file's own (left-handed: +X right, +Y up, +Z away from the front
// view). A point is first taken into texture space: the centre subtracted, then the rotation
// undone (heading about Y, then pitch about X, then bank about Z; a positive heading turns +Z
// towards +X, a positive pitch +Y towards +Z, a positive bank +X towards +Y). Results are
// (u, v) as a TXUV map stores them: u to the right, v up, the image spanning 0 to 1. So:
//   planar:      u, v from the two coordinates across the axis, divided by the size, + 0.5; the
//                image reads correctly seen from +X or +Y, or from -Z;
//   cylindrical: u from the angle around the axis (0.5 facing the front, the seam at the back),
//                times the width wrap count; v along the axis over the size, + 0.5;
//   spherical:   u as cylindrical; v from the latitude (0 at the negative pole, 1 at the positive),
//                times the height wrap count;
//   cubic:       planar along the axis the polygon's normal points along most.
// Front projection depends on a camera and UV on a map: neither is computed here.
#pragma once

#include "lwo/vec3.h"

#include <cstdint>
#include <vector>

// The PROJ values of an LWO2/LWO3 image block.
enum class ProjectionKind : int32_t {
    Planar = 0,
    Cylindrical = 1,
    Spherical = 2,
    Cubic = 3,
    Front = 4,
    Uv = 5,
};

struct TextureProjection {
    ProjectionKind kind = ProjectionKind::Planar;
    int axis = 0;  // 0 X, 1 Y, 2 Z (the AXIS values); cubic chooses its own per polygon
    Vec3 centre;
    Vec3 size{1.0f, 1.0f, 1.0f};
    Vec3 rotation;  // heading, pitch, bank in radians
    float wrapWidth = 1.0f;  // times the image goes round (cylindrical and spherical)
    float wrapHeight = 1.0f;  // times it goes from pole to pole (spherical)
};

struct ProjectedUv {
    float u = 0.0f;
    float v = 0.0f;
};

// True for the projections computed from positions: planar, cylindrical, spherical, cubic.
bool projectsFromPositions(ProjectionKind kind);

// Takes a point into texture space (centre subtracted, rotation undone).
Vec3 toTextureSpace(const TextureProjection& projection, const Vec3& point);

// One point, along `axis` (0-2). Cubic projects along `axis` as planar does. Cylindrical and
// spherical u lie in [0, wrapWidth); a point on the axis has u 0.
ProjectedUv projectPoint(const TextureProjection& projection, const Vec3& point, int axis);

// The corners of one polygon, in order. Cubic takes its axis from the polygon's normal. Around
// the axis, the corners' longitudes are kept within half a turn of the first corner's, so a
// polygon across the seam spans it instead of running back over the whole image (the texture
// repeats); a corner on the axis (a pole) takes the mean longitude of the others. Values that
// are not finite (a zero size) become 0.
std::vector<ProjectedUv> projectPolygon(const TextureProjection& projection, const std::vector<Vec3>& corners);
