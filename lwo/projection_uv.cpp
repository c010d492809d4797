#include "lwo/projection_uv.h"

#include <cmath>

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kPi = 3.141592653589793;

struct Angles {
    double longitude = 0.0;  // [0, 1): a whole turn around the axis
    double latitude = 0.0;  // radians, -pi/2 at the negative pole to pi/2 at the positive
    bool onAxis = false;  // no longitude: the point lies on the axis
};

double component(const Vec3& p, int axis) { return axis == 0 ? p.x : axis == 1 ? p.y : p.z; }

// Rotation by `angle` in the plane of two coordinates: `a` turns towards `b`.
void turn(float& a, float& b, float angle) {
    const double c = std::cos(angle), s = std::sin(angle);
    const double a2 = a * c - b * s;
    const double b2 = a * s + b * c;
    a = static_cast<float>(a2);
    b = static_cast<float>(b2);
}

// The axis's own frame: `along` the axis, and the two coordinates around it, arranged so that
// longitude 0.5 faces the front and grows to the right seen from outside.
Angles anglesOf(const Vec3& q, int axis) {
    double side = 0, along = 0, depth = 0;
    if (axis == 0) {
        side = q.z, along = q.x, depth = -q.y;
    } else if (axis == 1) {
        side = -q.x, along = q.y, depth = q.z;
    } else {
        side = -q.x, along = q.z, depth = -q.y;
    }
    Angles a;
    const double radius = std::sqrt(side * side + depth * depth);
    a.onAxis = radius <= 1e-6 * std::fabs(along) || radius == 0.0;
    const double heading = a.onAxis ? 0.0 : std::atan2(-side, depth);
    const double turns = 1.0 - heading / kTwoPi;
    a.longitude = turns - std::floor(turns);
    a.latitude = std::atan2(along, radius);
    return a;
}

ProjectedUv planar(const TextureProjection& p, const Vec3& q, int axis) {
    ProjectedUv uv;
    if (axis == 0) {
        uv.u = q.z / p.size.z + 0.5f;
        uv.v = q.y / p.size.y + 0.5f;
    } else if (axis == 1) {
        uv.u = q.x / p.size.x + 0.5f;
        uv.v = q.z / p.size.z + 0.5f;
    } else {
        uv.u = q.x / p.size.x + 0.5f;
        uv.v = q.y / p.size.y + 0.5f;
    }
    return uv;
}

// v for the height of a point: along the axis over the size, or from the latitude.
float heightOf(const TextureProjection& p, const Vec3& q, int axis, const Angles& a) {
    if (p.kind == ProjectionKind::Cylindrical) {
        return static_cast<float>(component(q, axis) / component(p.size, axis) + 0.5);
    }
    // The image's row runs from its top at the positive pole; v counts from the bottom.
    const double row = 0.5 - a.latitude / kPi;
    return static_cast<float>(1.0 - row * p.wrapHeight);
}

bool aroundAxis(ProjectionKind kind) {
    return kind == ProjectionKind::Cylindrical || kind == ProjectionKind::Spherical;
}

int clampAxis(int axis) { return axis < 0 || axis > 2 ? 0 : axis; }

// The axis a polygon faces along most (ties to the earlier axis), from its normal.
int dominantAxis(const std::vector<Vec3>& q) {
    double n[3] = {0, 0, 0};
    for (size_t i = 0; i < q.size(); ++i) {
        const Vec3& a = q[i];
        const Vec3& b = q[(i + 1) % q.size()];
        n[0] += (double(a.y) - b.y) * (double(a.z) + b.z);
        n[1] += (double(a.z) - b.z) * (double(a.x) + b.x);
        n[2] += (double(a.x) - b.x) * (double(a.y) + b.y);
    }
    const double x = std::fabs(n[0]), y = std::fabs(n[1]), z = std::fabs(n[2]);
    if (x >= y && x >= z) return 0;
    return y >= z ? 1 : 2;
}

float finiteOrZero(float value) { return std::isfinite(value) ? value : 0.0f; }

// Longitudes of one polygon made continuous: within half a turn of the first corner off the
// axis; corners on the axis take the mean of the others.
void unwrapLongitudes(std::vector<Angles>& corners) {
    const Angles* reference = nullptr;
    double sum = 0.0;
    int count = 0;
    for (Angles& a : corners) {
        if (a.onAxis) continue;
        if (!reference) reference = &a;
        while (a.longitude - reference->longitude > 0.5) a.longitude -= 1.0;
        while (a.longitude - reference->longitude < -0.5) a.longitude += 1.0;
        sum += a.longitude;
        ++count;
    }
    for (Angles& a : corners) {
        if (a.onAxis) a.longitude = count ? sum / count : 0.0;
    }
}

}  // namespace

bool projectsFromPositions(ProjectionKind kind) {
    return kind == ProjectionKind::Planar || kind == ProjectionKind::Cylindrical ||
           kind == ProjectionKind::Spherical || kind == ProjectionKind::Cubic;
}

Vec3 toTextureSpace(const TextureProjection& projection, const Vec3& point) {
    Vec3 q{point.x - projection.centre.x, point.y - projection.centre.y, point.z - projection.centre.z};
    // The texture was turned by bank, then pitch, then heading; undo them in reverse order.
    turn(q.z, q.x, -projection.rotation.x);  // heading: +Z towards +X
    turn(q.y, q.z, -projection.rotation.y);  // pitch: +Y towards +Z
    turn(q.x, q.y, -projection.rotation.z);  // bank: +X towards +Y
    return q;
}

ProjectedUv projectPoint(const TextureProjection& projection, const Vec3& point, int axis) {
    axis = clampAxis(axis);
    const Vec3 q = toTextureSpace(projection, point);
    ProjectedUv uv;
    if (!aroundAxis(projection.kind)) {
        uv = planar(projection, q, axis);
    } else {
        const Angles a = anglesOf(q, axis);
        uv = ProjectedUv{static_cast<float>(a.longitude * projection.wrapWidth), heightOf(projection, q, axis, a)};
    }
    return ProjectedUv{finiteOrZero(uv.u), finiteOrZero(uv.v)};
}

std::vector<ProjectedUv> projectPolygon(const TextureProjection& projection, const std::vector<Vec3>& corners) {
    std::vector<Vec3> q;
    q.reserve(corners.size());
    for (const Vec3& p : corners) q.push_back(toTextureSpace(projection, p));
    std::vector<ProjectedUv> uvs(corners.size());
    if (!aroundAxis(projection.kind)) {
        const int axis = projection.kind == ProjectionKind::Cubic ? dominantAxis(q) : clampAxis(projection.axis);
        for (size_t i = 0; i < q.size(); ++i) uvs[i] = planar(projection, q[i], axis);
    } else {
        const int axis = clampAxis(projection.axis);
        std::vector<Angles> angles;
        angles.reserve(q.size());
        for (const Vec3& p : q) angles.push_back(anglesOf(p, axis));
        unwrapLongitudes(angles);
        for (size_t i = 0; i < q.size(); ++i) {
            uvs[i].u = static_cast<float>(angles[i].longitude * projection.wrapWidth);
            uvs[i].v = heightOf(projection, q[i], axis, angles[i]);
        }
    }
    for (ProjectedUv& uv : uvs) {
        uv.u = finiteOrZero(uv.u);
        uv.v = finiteOrZero(uv.v);
    }
    return uvs;
}
