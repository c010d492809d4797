#include "lwo/mesh_arrays.h"

namespace {

void appendVertex(const MeshPolygon& polygon, size_t corner, std::vector<float>& out) {
    const Vec3& p = polygon.positions[corner];
    if (polygon.cornerTextured(corner)) {
        const MeshUv& uv = polygon.uvs[corner];
        out.insert(out.end(), {uv.u, uv.v, 1.0f, 1.0f, 1.0f, p.x, p.y, p.z});
    } else {
        const LwoColour& c = polygon.colour;
        out.insert(out.end(), {0.0f, 0.0f, c[0], c[1], c[2], p.x, p.y, p.z});
    }
}

Vec3 targetPoint(const PositionList& target, size_t i) {
    return i < target.size() ? target[i] : target.back();
}

Vec3 stepDelta(const Vec3& from, const Vec3& to, float steps) {
    return Vec3{(to.x - from.x) / steps, (to.y - from.y) / steps, (to.z - from.z) / steps};
}

void add(Vec3& p, const Vec3& d) {
    p.x += d.x;
    p.y += d.y;
    p.z += d.z;
}

}  // namespace

std::vector<float> buildInterleavedTriangles(const MeshPolygons& polygons) {
    std::vector<float> out;
    out.reserve(polygons.size() * 3 * kInterleavedFloatsPerVertex);
    for (const MeshPolygon& polygon : polygons) {
        for (const CornerTriangle& t : polygonTriangles(polygon)) {
            for (int32_t c : t) appendVertex(polygon, size_t(c), out);
        }
    }
    return out;
}

PositionList collectCornerPositions(const MeshPolygons& polygons) { return polygons.allPositions(); }

void applyMorphStep(const PositionList& start, const PositionList& target, PositionList& current,
                    uint32_t stepCount, float steps) {
    if (target.empty() || !(static_cast<float>(stepCount) < steps)) return;
    for (size_t i = 0; i < start.size() && i < current.size(); ++i) {
        add(current[i], stepDelta(start[i], targetPoint(target, i), steps));
    }
}

std::vector<PositionList> buildMorphFrameList(const PositionList& start, const PositionList& target,
                                              float steps) {
    std::vector<PositionList> frames;
    if (target.empty()) return frames;
    PositionList deltas;
    deltas.reserve(start.size());
    for (size_t i = 0; i < start.size(); ++i)
        deltas.push_back(stepDelta(start[i], targetPoint(target, i), steps));
    PositionList current = start;
    for (uint64_t k = 0; static_cast<float>(k) < steps; ++k) {
        for (size_t i = 0; i < current.size(); ++i) add(current[i], deltas[i]);
        frames.push_back(current);
    }
    return frames;
}

int morphGroupSize(const MeshPolygons& polygons) {
    if (polygons.empty()) return 0;
    const int corners = polygons.front().cornerCount;
    return corners == 3 || corners == 4 ? corners : 0;
}
