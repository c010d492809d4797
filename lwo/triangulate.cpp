#include "lwo/triangulate.h"

#include <cmath>
#include <cstddef>

namespace {

struct Point2 {
    double x = 0.0;
    double y = 0.0;
};

// Twice the signed area of (a, b, c): positive when they turn counter-clockwise.
double turn(const Point2& a, const Point2& b, const Point2& c) {
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

// Corners on the plane through the origin with normal n, in a basis (u, v) with u × v = n, so a
// polygon that turns right-handed about n turns counter-clockwise here.
// `out` has room for every corner.
void project(Span<Vec3> corners, const Vec3& n, Point2* out) {
    const double nx = n.x, ny = n.y, nz = n.z;
    const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
    const double a[3] = {nx / length, ny / length, nz / length};
    // Any axis not close to the normal gives a first basis vector by a cross product.
    const double helper[3] = {std::fabs(a[0]) < 0.9 ? 1.0 : 0.0, std::fabs(a[0]) < 0.9 ? 0.0 : 1.0, 0.0};
    double u[3] = {helper[1] * a[2] - helper[2] * a[1], helper[2] * a[0] - helper[0] * a[2],
                   helper[0] * a[1] - helper[1] * a[0]};
    const double ul = std::sqrt(u[0] * u[0] + u[1] * u[1] + u[2] * u[2]);
    for (double& c : u) c /= ul;
    const double v[3] = {a[1] * u[2] - a[2] * u[1], a[2] * u[0] - a[0] * u[2], a[0] * u[1] - a[1] * u[0]};
    for (const Vec3& p : corners) {
        *out++ = {u[0] * p.x + u[1] * p.y + u[2] * p.z, v[0] * p.x + v[1] * p.y + v[2] * p.z};
    }
}

bool isConvex(const Point2* p, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        if (turn(p[i], p[(i + 1) % n], p[(i + 2) % n]) < 0.0) return false;
    }
    return true;
}

std::vector<CornerTriangle> fan(size_t first, const std::vector<int32_t>& corners) {
    std::vector<CornerTriangle> out;
    for (size_t i = first + 1; i + 1 < corners.size(); ++i) {
        out.push_back({corners[first], corners[i], corners[i + 1]});
    }
    return out;
}

// On or inside the counter-clockwise triangle (a, b, c).
bool inside(const Point2& p, const Point2& a, const Point2& b, const Point2& c) {
    return turn(a, b, p) >= 0.0 && turn(b, c, p) >= 0.0 && turn(c, a, p) >= 0.0;
}

bool sameSpot(const Point2& a, const Point2& b) { return a.x == b.x && a.y == b.y; }

// Corner k of the ring `left` is an ear: it turns left and no other corner lies in its triangle
// (corners at the same spot as the triangle's own do not block it: polygons with a bridge
// edge, drawn there and back, touch themselves at such points).
bool isEar(const std::vector<Point2>& p, const std::vector<int32_t>& left, size_t k) {
    const size_t n = left.size();
    const Point2& a = p[static_cast<size_t>(left[(k + n - 1) % n])];
    const Point2& b = p[static_cast<size_t>(left[k])];
    const Point2& c = p[static_cast<size_t>(left[(k + 1) % n])];
    if (turn(a, b, c) <= 0.0) return false;
    for (size_t j = 0; j < n; ++j) {
        const Point2& q = p[static_cast<size_t>(left[j])];
        if (j == k || j == (k + 1) % n || j == (k + n - 1) % n) continue;
        if (sameSpot(q, a) || sameSpot(q, b) || sameSpot(q, c)) continue;
        if (inside(q, a, b, c)) return false;
    }
    return true;
}

std::vector<CornerTriangle> clipEars(const std::vector<Point2>& p) {
    std::vector<int32_t> left(p.size());
    for (size_t i = 0; i < left.size(); ++i) left[i] = static_cast<int32_t>(i);
    std::vector<CornerTriangle> out;
    size_t k = 0;
    size_t sinceLastEar = 0;
    while (left.size() > 3) {
        const size_t n = left.size();
        k %= n;
        if (isEar(p, left, k)) {
            out.push_back({left[(k + n - 1) % n], left[k], left[(k + 1) % n]});
            left.erase(left.begin() + static_cast<std::ptrdiff_t>(k));
            sinceLastEar = 0;
            continue;
        }
        ++k;
        // A full round without an ear: the rest is degenerate or crosses itself, and is fanned
        // so the count still holds.
        if (++sinceLastEar > n) break;
    }
    const std::vector<CornerTriangle> rest = fan(0, left);
    out.insert(out.end(), rest.begin(), rest.end());
    return out;
}

}  // namespace

Vec3 newellNormal(Span<Vec3> corners) {
    double n[3] = {0.0, 0.0, 0.0};
    const size_t count = corners.size();
    for (size_t i = 0; i < count; ++i) {
        const Vec3& a = corners[i];
        const Vec3& b = corners[(i + 1) % count];
        n[0] += (double(a.y) - b.y) * (double(a.z) + b.z);
        n[1] += (double(a.z) - b.z) * (double(a.x) + b.x);
        n[2] += (double(a.x) - b.x) * (double(a.y) + b.y);
    }
    return Vec3{static_cast<float>(n[0]), static_cast<float>(n[1]), static_cast<float>(n[2])};
}

namespace {

// Whether the polygon (4 or more corners) is simply fanned from corner 0: it has no plane to be
// projected on, or is convex on it. Otherwise `flat` (room for every corner) holds it projected,
// for the ears to be cut.
bool fansFromFirst(Span<Vec3> corners, Point2* flat) {
    const Vec3 normal = newellNormal(corners);
    if (!(normal.x != 0.0f || normal.y != 0.0f || normal.z != 0.0f) ||
        !std::isfinite(normal.x + normal.y + normal.z)) {
        return true;
    }
    project(corners, normal, flat);
    return isConvex(flat, corners.size());
}

}  // namespace

std::vector<CornerTriangle> triangulatePolygon(Span<Vec3> corners) {
    const size_t n = corners.size();
    if (n < 3) return {};
    std::vector<int32_t> order(n);
    for (size_t i = 0; i < n; ++i) order[i] = static_cast<int32_t>(i);
    if (n == 3) return fan(0, order);
    std::vector<Point2> flat(n);
    return fansFromFirst(corners, flat.data()) ? fan(0, order) : clipEars(flat);
}

std::vector<CornerTriangle> polygonTriangles(const MeshPolygon& polygon) {
    const int corners = polygon.cornerCount;
    if (corners < 3 || polygon.positions.size() < size_t(corners)) return {};
    if (corners == 3) return {{0, 1, 2}};
    return triangulatePolygon(polygon.positions.first(size_t(corners)));
}

// Asked of every quad on every immediate-mode frame, so the usual answer, a fan, is found
// without the heap; only a concave quad goes on to have its ears cut.
bool isFannedQuad(const MeshPolygon& polygon) {
    if (polygon.cornerCount != 4 || polygon.positions.size() < 4) return false;
    Point2 flat[4];
    if (fansFromFirst(polygon.positions.first(4), flat)) return true;
    const std::vector<CornerTriangle> triangles = clipEars(std::vector<Point2>(flat, flat + 4));
    return triangles[0] == CornerTriangle{0, 1, 2} && triangles[1] == CornerTriangle{0, 2, 3};
}
