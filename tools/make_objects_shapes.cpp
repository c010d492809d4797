#include "tools/make_objects_shapes.h"

#include <cmath>

namespace makeobjects {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kGrid = 64.0;  // coordinates are stored in 1/64 units

struct V {
    double x, y, z;
};
V operator+(V a, V b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
V operator-(V a, V b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V operator*(double s, V a) { return {s * a.x, s * a.y, s * a.z}; }
double dot(V a, V b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V cross(V a, V b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
V normalized(V a) { return (1.0 / std::sqrt(dot(a, a))) * a; }

float snap(double v) { return static_cast<float>(std::round(v * kGrid) / kGrid); }
Vec3 stored(V p) { return {snap(p.x), snap(p.y), snap(p.z)}; }

// Splits a grid of rows x columns points (row-major) into triangles. Columns always wrap;
// rows wrap only when `closedRows`. Each shape lays its points out so that the column
// direction crossed with the row direction points outward, which makes every triangle
// below clockwise seen from outside in LightWave's left-handed frame.
std::vector<std::array<std::uint32_t, 3>> gridTriangles(std::uint32_t rows, std::uint32_t columns, bool closedRows) {
    std::vector<std::array<std::uint32_t, 3>> triangles;
    std::uint32_t bands = closedRows ? rows : rows - 1;
    for (std::uint32_t i = 0; i < bands; ++i) {
        std::uint32_t next = (i + 1) % rows;
        for (std::uint32_t j = 0; j < columns; ++j) {
            std::uint32_t j1 = (j + 1) % columns;
            std::uint32_t a = i * columns + j, b = i * columns + j1;
            std::uint32_t c = next * columns + j1, d = next * columns + j;
            triangles.push_back({a, b, c});
            triangles.push_back({a, c, d});
        }
    }
    return triangles;
}

// --- Tube01 ---------------------------------------------------------------------------

// The show stretches the tube along z up to 40 times and, in the finale, turns it every way
// 400 units in front of the eye: everything stays within 200 units of the pivot so that it
// never leaves the 60-degree view there.
constexpr std::uint32_t kTubeSides = 24;
constexpr int kTubeWallSegments = 16;  // along the length, per wall
constexpr int kTubeEndSegments = 4;    // across each end ring
constexpr double kTubeOuterRadius = 30.0;
constexpr double kTubeInnerRadius = 22.0;
constexpr double kTubeHalfLength = 140.0;
// The tube lies beside its pivot rather than on it: the show spins it about the pivot's z
// axis, and only an off-centre tube makes that spin visible (it then sweeps round the view
// like a beam). The reader's negation puts it down and to the left of the pivot.
constexpr double kTubeAxisX = 68.0;
constexpr double kTubeAxisY = 51.0;

struct ProfilePoint {
    double r, z;
};

// The wall's cross-section as a loop running counter-clockwise in the (r, z) half-plane:
// up the outer wall, in across the far end, down the inner wall, out across the near end.
std::vector<ProfilePoint> tubeProfile() {
    std::vector<ProfilePoint> loop;
    auto run = [&loop](ProfilePoint from, ProfilePoint to, int segments) {
        for (int k = 0; k < segments; ++k) {
            double f = static_cast<double>(k) / segments;
            loop.push_back({from.r + f * (to.r - from.r), from.z + f * (to.z - from.z)});
        }
    };
    const double ro = kTubeOuterRadius, ri = kTubeInnerRadius, h = kTubeHalfLength;
    run({ro, -h}, {ro, h}, kTubeWallSegments);
    run({ro, h}, {ri, h}, kTubeEndSegments);
    run({ri, h}, {ri, -h}, kTubeWallSegments);
    run({ri, -h}, {ro, -h}, kTubeEndSegments);
    return loop;
}

// --- Torus Knot -----------------------------------------------------------------------

// The show draws the knot moved by (-150, -333) inside a tenfold z stretch, from 500 units
// behind the eye to 3500 in front. Centred on its pivot with a reach of 150 to 370 units, the
// knot runs a strand across the line of sight (365 units from its centre) as it passes the
// viewer, and fits the view whole once it has receded.
constexpr std::uint32_t kKnotRings = 138;
constexpr std::uint32_t kKnotSides = 12;
constexpr double kKnotP = 2.0;  // turns about the knot's axis (z)
constexpr double kKnotQ = 3.0;  // turns about the torus core
constexpr double kKnotCoreRadius = 260.0;
constexpr double kKnotSwing = 110.0;
constexpr double kKnotTubeRadius = 30.0;

V knotCurve(double t) {
    double radial = kKnotCoreRadius + kKnotSwing * std::cos(kKnotQ * t);
    return {radial * std::cos(kKnotP * t), radial * std::sin(kKnotP * t), kKnotSwing * std::sin(kKnotQ * t)};
}

// Analytic derivative, so the ring frames depend on nothing but t.
V knotTangent(double t) {
    double radial = kKnotCoreRadius + kKnotSwing * std::cos(kKnotQ * t);
    double radialRate = -kKnotSwing * kKnotQ * std::sin(kKnotQ * t);
    return normalized({radialRate * std::cos(kKnotP * t) - radial * kKnotP * std::sin(kKnotP * t),
                       radialRate * std::sin(kKnotP * t) + radial * kKnotP * std::cos(kKnotP * t),
                       kKnotSwing * kKnotQ * std::cos(kKnotQ * t)});
}

}  // namespace

ObjectModel makeTube() {
    ObjectModel m;
    m.layerName = "Tube01";
    m.surfaceName = "surface";
    std::vector<ProfilePoint> profile = tubeProfile();
    // Rows follow the profile, columns go round the axis: (around) x (along the profile)
    // points outward for a counter-clockwise profile.
    for (const ProfilePoint& p : profile) {
        for (std::uint32_t s = 0; s < kTubeSides; ++s) {
            double phi = 2.0 * kPi * s / kTubeSides;
            m.points.push_back(stored({kTubeAxisX + p.r * std::cos(phi), kTubeAxisY + p.r * std::sin(phi), p.z}));
        }
    }
    m.triangles = gridTriangles(static_cast<std::uint32_t>(profile.size()), kTubeSides, true);
    m.surfaceAttributes = {
        {"COLR", {1.0f, 1.0f, 1.0f}}, {"DIFF", {1.0f}},      {"SPEC", {0.0f}}, {"LUMI", {0.0f}},
        {"SMAN", {1.5620697f}},       {"GLOS", {0.4f}},      {"REFL", {0.0f}},
    };
    return m;
}

ObjectModel makeKnot() {
    ObjectModel m;
    m.layerName = "Torus Knot";
    m.surfaceName = "1 - Default";
    // Rows follow the curve; each ring's frame leans on the direction from the torus core to
    // the curve, which is periodic, so the seam ring meets the first one without a twist.
    for (std::uint32_t i = 0; i < kKnotRings; ++i) {
        double t = 2.0 * kPi * (i % (kKnotRings - 1)) / (kKnotRings - 1);
        V centre = knotCurve(t);
        V tangent = knotTangent(t);
        V core{kKnotCoreRadius * std::cos(kKnotP * t), kKnotCoreRadius * std::sin(kKnotP * t), 0.0};
        V out = centre - core;
        V normal = normalized(out - dot(out, tangent) * tangent);
        V binormal = cross(tangent, normal);
        for (std::uint32_t j = 0; j < kKnotSides; ++j) {
            double theta = 2.0 * kPi * j / kKnotSides;
            V offset = kKnotTubeRadius * (std::cos(theta) * normal + std::sin(theta) * binormal);
            m.points.push_back(stored(centre + offset));
        }
    }
    m.triangles = gridTriangles(kKnotRings, kKnotSides, false);
    m.surfaceAttributes = {
        {"COLR", {0.0f, 162.0f / 255.0f, 1.0f}},
        {"DIFF", {0.8f}},
        {"SPEC", {0.0f}},
        {"LUMI", {0.0f}},
        {"SMAN", {0.0f}},
        {"GLOS", {0.1f}},
        {"TRAN", {0.2f}},
        {"REFL", {0.0f}},
    };
    return m;
}

}  // namespace makeobjects
