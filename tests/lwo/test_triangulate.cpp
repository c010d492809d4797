// Polygons of any corner count as triangles: hand-made concave and bent polygons, and every
// polygon of every real object in tests/data, checked by area. A triangle that folds over (a
// fan across a concave corner) covers more than the polygon, so the triangles' areas on the
// polygon's plane add up to the polygon's area only when the cut is right.
#include "lwo/lwo_mesh.h"
#include "lwo/triangulate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

double dot(const Vec3& a, const Vec3& b) { return double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z; }
double length(const Vec3& a) { return std::sqrt(dot(a, a)); }

struct AreaCheck {
    double polygonArea = 0.0;
    double coveredArea = 0.0;  // the triangles' areas on the polygon's plane, unsigned
    int backwards = 0;  // triangles turning against the polygon
};

AreaCheck checkArea(Span<Vec3> corners, const std::vector<CornerTriangle>& triangles) {
    const Vec3 normal = newellNormal(corners);
    const double n = length(normal);
    AreaCheck check;
    check.polygonArea = n / 2.0;
    for (const CornerTriangle& t : triangles) {
        const Vec3 tn = newellNormal(std::vector<Vec3>{corners[size_t(t[0])], corners[size_t(t[1])], corners[size_t(t[2])]});
        const double along = n > 0.0 ? dot(tn, normal) / n / 2.0 : 0.0;
        check.coveredArea += std::fabs(along);
        if (along < -1e-9 * check.polygonArea) ++check.backwards;
    }
    return check;
}

void expectProperCut(const std::vector<Vec3>& corners, const std::string& what) {
    const std::vector<CornerTriangle> triangles = triangulatePolygon(corners);
    ASSERT_EQ(triangles.size(), corners.size() - 2) << what;
    const AreaCheck check = checkArea(corners, triangles);
    EXPECT_NEAR(check.coveredArea, check.polygonArea, 1e-4 * check.polygonArea) << what;
    EXPECT_EQ(check.backwards, 0) << what;
}

// An L, a comb with four teeth, a star: each concave where a fan from corner 0 folds.
std::vector<Vec3> letterL() { return {{0, 0, 0}, {3, 0, 0}, {3, 1, 0}, {1, 1, 0}, {1, 3, 0}, {0, 3, 0}}; }

std::vector<Vec3> star(int points, float bend) {
    std::vector<Vec3> corners;
    for (int i = 0; i < 2 * points; ++i) {
        const double a = 3.14159265358979 * i / points;
        const double r = i % 2 ? 0.4 : 1.0;
        // Every other corner lifted: a polygon no plane holds.
        corners.push_back({float(r * std::cos(a)), float(r * std::sin(a)), i % 2 ? bend : -bend});
    }
    return corners;
}

std::vector<Vec3> comb() {
    std::vector<Vec3> corners = {{0, 0, 0}, {9, 0, 0}};
    for (int tooth = 4; tooth-- > 0;) {
        const float x = 2.0f * float(tooth);
        corners.push_back({x + 1, 3, 0});
        corners.push_back({x + 1, 1, 0});
        corners.push_back({x, 1, 0});
        corners.push_back({x, 3, 0});
    }
    corners.pop_back();
    corners.back() = {0, 3, 0};
    return corners;
}

// Turned off the axes, so the projection plane is not one of them.
std::vector<Vec3> tilted(std::vector<Vec3> corners) {
    for (Vec3& p : corners) {
        const Vec3 q = p;
        p = {0.8f * q.x - 0.6f * q.z, 0.6f * q.x * 0.5f + 0.8f * q.y + 0.3f * q.z, 0.6f * q.x + 0.8f * q.z - 0.4f * q.y};
    }
    return corners;
}

TEST(Triangulate, ConvexPolygonsAreFannedFromTheFirstCorner) {
    const std::vector<Vec3> quad = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    EXPECT_EQ(triangulatePolygon(quad), (std::vector<CornerTriangle>{{0, 1, 2}, {0, 2, 3}}));
    std::vector<Vec3> octagon;
    for (int i = 0; i < 8; ++i) octagon.push_back({float(std::cos(i * 0.785398)), float(std::sin(i * 0.785398)), 0});
    const std::vector<CornerTriangle> fan = triangulatePolygon(octagon);
    ASSERT_EQ(fan.size(), 6u);
    EXPECT_EQ(fan.back(), (CornerTriangle{0, 6, 7}));
    EXPECT_TRUE(triangulatePolygon(std::vector<Vec3>{{0, 0, 0}, {1, 0, 0}}).empty());
}

TEST(Triangulate, ConcaveAndBentPolygonsAreCutWithoutFolds) {
    expectProperCut(letterL(), "L");
    expectProperCut(tilted(letterL()), "tilted L");
    expectProperCut(comb(), "comb");
    expectProperCut(tilted(comb()), "tilted comb");
    expectProperCut(star(5, 0.0f), "flat star");
    expectProperCut(star(7, 0.15f), "bent star");
    expectProperCut(tilted(star(12, 0.1f)), "tilted bent star");
    // The same shapes turning the other way round.
    std::vector<Vec3> reversed = comb();
    std::reverse(reversed.begin(), reversed.end());
    expectProperCut(reversed, "reversed comb");
    // A concave quad whose reflex corner is 1: the fan from 0 would fold, so it is not drawn
    // as a GL quad.
    const std::vector<Vec3> corners = {{0, 0, 0}, {1, 1, 0}, {2, 0, 0}, {1, 3, 0}};
    MeshPolygon dart;
    dart.positions = corners;
    dart.cornerCount = 4;
    EXPECT_FALSE(isFannedQuad(dart));
    expectProperCut(corners, "dart");
    // Reflex at corner 2 instead, the fan's own diagonal lies inside: still a GL quad.
    const std::vector<Vec3> arrow = {{1, 3, 0}, {0, 0, 0}, {1, 1, 0}, {2, 0, 0}};
    dart.positions = arrow;
    EXPECT_TRUE(isFannedQuad(dart));
}

TEST(Triangulate, DegeneratePolygonsStillGiveTheirCount) {
    const std::vector<Vec3> line = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {4, 0, 0}};
    EXPECT_EQ(triangulatePolygon(line).size(), 3u);
    const std::vector<Vec3> bowtie = {{0, 0, 0}, {2, 2, 0}, {2, 0, 0}, {0, 2, 0}, {1, 3, 0}};
    EXPECT_EQ(triangulatePolygon(bowtie).size(), 3u);
    const std::vector<Vec3> same(9, Vec3{1, 1, 1});
    EXPECT_EQ(triangulatePolygon(same).size(), 7u);
}

TEST(Triangulate, EveryRealObjectTurnsIntoCornersMinusTwoTrianglesCoveringEachFace) {
    int objects = 0, bigFaces = 0;
    std::ostringstream skipped;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(DEMO_TESTDATA_DIR)) {
        if (entry.path().extension() != ".lwo") continue;
        LwoMesh mesh;
        mesh.diagnostics = &skipped;
        if (mesh.load(entry.path().c_str())) {
            std::cout << entry.path().filename() << ": " << mesh.lastError() << "\n";
            continue;
        }
        ++objects;
        size_t expected = 0, made = 0;
        for (const MeshPolygon& polygon : mesh.polygons) {
            const std::vector<CornerTriangle> triangles = polygonTriangles(polygon);
            expected += polygon.cornerCount >= 3 ? size_t(polygon.cornerCount - 2) : 0;
            made += triangles.size();
            if (polygon.cornerCount <= 4) continue;
            ++bigFaces;
            const AreaCheck check = checkArea(polygon.positions, triangles);
            EXPECT_NEAR(check.coveredArea, check.polygonArea, 1e-3 * check.polygonArea + 1e-9)
                << entry.path().filename() << ", a face of " << polygon.cornerCount << " corners";
        }
        EXPECT_EQ(made, expected) << entry.path().filename();
    }
    EXPECT_GE(objects, 20);
    EXPECT_GT(bigFaces, 0);
}

}  // namespace
