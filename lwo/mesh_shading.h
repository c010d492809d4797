// A mesh as lit drawing and export see it: per layer and surface, triangles with normals and
// texture coordinates, and each surface's look in lighting terms. No GL here.
//
// Normals are LightWave's: a polygon's normal points out of its front face (corners clockwise
// seen from the front), and a corner takes the average of the normals of the polygons of its
// surface that share its point and meet its own polygon at no more than the surface's
// smoothing angle (SMAN); without one every polygon is flat. Points are shared by position, so
// points at one spot smooth together even when the file keeps them apart. Positions and
// normals are in the mesh model's coordinates (the file's, negated).
#pragma once

#include "lwo/lwo_mesh.h"
#include "lwo/vec3.h"

#include <cstdint>
#include <vector>

struct ShadedPart {
    int32_t layer = 0;  // as MeshPolygon::layer
    int32_t surface = -1;  // into reader.surfaces; -1 for polygons no tag gives a surface
    std::vector<Vec3> positions;  // three per triangle
    std::vector<Vec3> normals;  // unit, one per position
    std::vector<MeshUv> uvs;  // one per position when hasUvs, v already flipped (row 0 on top)
    bool hasUvs = false;  // every corner of every polygon here had a uv
};

// The mesh's polygons as parts, in the order of their first polygon.
[[nodiscard]] std::vector<ShadedPart> shadeMesh(const LwoMesh& mesh);

// How a picture continues where texture coordinates leave 0-1, across and down: repeated,
// mirrored at every edge, its edge pixels stretched on, or not at all (reset: the surface's own
// colour shows there).
enum class TextureWrap { Repeat, Mirror, Edge, Reset };

// A surface's look, LightWave's defaults standing in for what the file leaves out.
struct SurfaceLook {
    LwoColour colour = {1.0f, 1.0f, 1.0f};
    float diffuse = 1.0f;
    float luminosity = 0.0f;
    float specular = 0.0f;
    float glossiness = 0.4f;
    float transparency = 0.0f;
    bool doubleSided = false;
    bool textured = false;
    // The colour picture's, from its image block (LWO2, LWO3: WRAP) or texture (LWOB: TWRP).
    TextureWrap wrapWidth = TextureWrap::Repeat;
    TextureWrap wrapHeight = TextureWrap::Repeat;
    // The colour picture is laid on by front projection (PROJ 4): as the camera sees it, the
    // picture filling the camera's frame, so its coordinates come from the view, not the mesh.
    bool frontProjected = false;
};
// Null (no surface) gives the defaults.
SurfaceLook surfaceLook(const LwoSurface* surface);
// The highlight's exponent LightWave gives a glossiness: 2^(10 g + 2), 4 to 4096.
float specularExponent(float glossiness);
