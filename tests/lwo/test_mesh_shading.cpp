// Normals for lit drawing and export: which side a polygon's normal points to, and smoothing on
// one side of a surface's smoothing angle and not on the other.
#include "lwo/lwo_mesh.h"
#include "lwo/lwo_writer.h"
#include "lwo/mesh_shading.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr float kDegree = 3.14159265f / 180.0f;

// Two unit squares sharing the edge x = 0 (points 0 and 1), folded `fold` degrees out of one
// plane, both facing -z as LightWave orders corners (clockwise seen from the front).
LwoMesh foldedPair(float fold, float smoothing) {
    const float c = std::cos(fold * kDegree), s = std::sin(fold * kDegree);
    LwoWriter w;
    w.tags({"Fold"}).layer(0, "fold");
    w.points({{0, 1, 0}, {0, 0, 0}, {-1, 1, 0}, {-1, 0, 0}, {c, 1, s}, {c, 0, s}});
    w.polygons("FACE", {{2, 0, 1, 3}, {0, 4, 5, 1}});
    w.polygonTags("SURF", {{0, 0}, {1, 0}});
    w.surface("Fold", LwoBytes().raw(lwoSubChunk("SMAN", LwoBytes().f4(smoothing * kDegree))));
    const std::vector<uint8_t> bytes = w.file();
    LwoMesh mesh;
    EXPECT_FALSE(mesh.loadFromMemory(bytes.data(), bytes.size(), "fold.lwo")) << mesh.lastError();
    return mesh;
}

// The normal of the first corner at the shared point (0, 0, 0), negated back to the file's axes.
Vec3 normalAtSharedEdge(const ShadedPart& part, size_t firstVertex) {
    for (size_t v = firstVertex; v < part.positions.size(); ++v) {
        const Vec3& p = part.positions[v];
        if (p.x == 0.0f && p.y == 0.0f && p.z == 0.0f) {
            const Vec3& n = part.normals[v];
            return Vec3{-n.x, -n.y, -n.z};
        }
    }
    ADD_FAILURE() << "no corner at the shared point";
    return Vec3{};
}

TEST(MeshShading, FlatPolygonsFaceTheViewerTheirCornersTurnClockwiseFor) {
    const LwoMesh mesh = foldedPair(0.0f, 0.0f);
    const std::vector<ShadedPart> parts = shadeMesh(mesh);
    ASSERT_EQ(parts.size(), 1u);
    ASSERT_EQ(parts[0].positions.size(), 12u);
    // Facing -z in the file's axes, +z in the mesh model's.
    for (const Vec3& n : parts[0].normals) EXPECT_NEAR(n.z, 1.0f, 1e-6f);
}

TEST(MeshShading, SmoothingJoinsNormalsOnlyWithinTheSmoothingAngle) {
    // The second square is folded 30 degrees back about the shared edge.
    const LwoMesh sharp = foldedPair(30.0f, 29.0f);
    const LwoMesh smooth = foldedPair(30.0f, 31.0f);
    const std::vector<ShadedPart> sharpParts = shadeMesh(sharp);
    const std::vector<ShadedPart> smoothParts = shadeMesh(smooth);
    ASSERT_EQ(sharpParts.size(), 1u);
    ASSERT_EQ(smoothParts.size(), 1u);
    const ShadedPart& a = sharpParts[0];
    const ShadedPart& b = smoothParts[0];
    // First polygon's corner at the shared point: flat (0, 0, -1) below the angle, halfway
    // (15 degrees) above it.
    const Vec3 flat = normalAtSharedEdge(a, 0);
    EXPECT_NEAR(flat.z, -1.0f, 1e-6f);
    EXPECT_NEAR(flat.x, 0.0f, 1e-6f);
    const Vec3 joined = normalAtSharedEdge(b, 0);
    EXPECT_NEAR(joined.z, -std::cos(15.0f * kDegree), 1e-5f);
    EXPECT_NEAR(std::fabs(joined.x), std::sin(15.0f * kDegree), 1e-5f);
    // The second polygon's corner at the same point takes the same joined normal.
    const Vec3 other = normalAtSharedEdge(b, 6);
    EXPECT_NEAR(other.x, joined.x, 1e-6f);
    EXPECT_NEAR(other.z, joined.z, 1e-6f);
    // Corners away from the edge stay flat either way.
    EXPECT_NEAR(-b.normals[0].z, -1.0f, 1e-6f);
}

}  // namespace
