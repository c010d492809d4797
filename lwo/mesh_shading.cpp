#include "lwo/mesh_shading.h"

#include "lwo/triangulate.h"

#include <cmath>
#include <cstring>
#include <map>
#include <unordered_map>
#include <utility>

namespace {

Vec3 unit(const Vec3& v) {
    const double l = std::sqrt(double(v.x) * v.x + double(v.y) * v.y + double(v.z) * v.z);
    if (!(l > 0.0) || !std::isfinite(l)) return Vec3{0.0f, 0.0f, 0.0f};
    return Vec3{float(v.x / l), float(v.y / l), float(v.z / l)};
}

float dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// The mesh model's points are the file's negated, which turns the outward side of the Newell
// normal around: outward is the negated one here.
Vec3 outwardNormal(const MeshPolygon& polygon) {
    const Vec3 n = unit(newellNormal(polygon.positions));
    return Vec3{-n.x, -n.y, -n.z};
}

struct PointKey {
    uint32_t bits[3];
    bool operator==(const PointKey& o) const { return std::memcmp(bits, o.bits, sizeof bits) == 0; }
};
struct PointKeyHash {
    size_t operator()(const PointKey& k) const {
        return (size_t(k.bits[0]) * 73856093u) ^ (size_t(k.bits[1]) * 19349663u) ^ (size_t(k.bits[2]) * 83492791u);
    }
};
PointKey keyOf(const Vec3& p) {
    PointKey k{};
    // +0.0 for -0.0, so the two zeros are one point.
    const float xs[3] = {p.x + 0.0f, p.y + 0.0f, p.z + 0.0f};
    std::memcpy(k.bits, xs, sizeof k.bits);
    return k;
}

// The polygons of one part and, per point, which of them touch it.
class Smoother {
public:
    Smoother(const MeshPolygons& polygons, const std::vector<size_t>& members, float angle)
        : polygons_(polygons), cosLimit_(std::cos(angle)), smooth_(angle > 0.0f) {
        for (size_t m : members) faceNormal_[m] = outwardNormal(polygons[m]);
        if (!smooth_) return;
        for (size_t m : members) {
            for (const Vec3& p : polygons[m].positions) touching_[keyOf(p)].push_back(m);
        }
    }
    Vec3 cornerNormal(size_t polygon, size_t corner) const {
        const Vec3& own = faceNormal_.at(polygon);
        if (!smooth_) return own;
        Vec3 sum{0.0f, 0.0f, 0.0f};
        const std::vector<size_t>& near = touching_.at(keyOf(polygons_[polygon].positions[corner]));
        size_t last = SIZE_MAX;
        for (size_t other : near) {
            if (other == last) continue;  // a polygon through the same point twice counts once
            last = other;
            const Vec3& n = faceNormal_.at(other);
            // A little slack, so faces at exactly the smoothing angle smooth as LightWave's do.
            if (other != polygon && dot(n, own) < cosLimit_ - 1e-6f) continue;
            sum = Vec3{sum.x + n.x, sum.y + n.y, sum.z + n.z};
        }
        const Vec3 n = unit(sum);
        return n.x == 0.0f && n.y == 0.0f && n.z == 0.0f ? own : n;
    }

private:
    const MeshPolygons& polygons_;
    float cosLimit_;
    bool smooth_;
    std::unordered_map<size_t, Vec3> faceNormal_;
    std::unordered_map<PointKey, std::vector<size_t>, PointKeyHash> touching_;
};

bool hasEveryUv(const MeshPolygon& polygon) {
    return polygon.uvs.size() >= size_t(polygon.cornerCount) && polygon.cornerCount > 0;
}

void appendPolygon(const MeshPolygon& polygon, size_t index, const Smoother& smoother, ShadedPart& part) {
    for (const CornerTriangle& t : polygonTriangles(polygon)) {
        for (int32_t c : t) {
            const size_t corner = size_t(c);
            part.positions.push_back(polygon.positions[corner]);
            part.normals.push_back(smoother.cornerNormal(index, corner));
            part.uvs.push_back(part.hasUvs ? polygon.uvs[corner] : MeshUv{});
        }
    }
}

}  // namespace

std::vector<ShadedPart> shadeMesh(const LwoMesh& mesh) {
    const MeshPolygons& polygons = mesh.polygons;
    const std::vector<int32_t> surfaceOf =
        polygonSurfaceIndices(mesh.reader, mesh.polygonSetStarts, polygons.size());
    std::map<std::pair<int32_t, int32_t>, size_t> partOf;
    std::vector<ShadedPart> parts;
    std::vector<std::vector<size_t>> members;
    for (size_t i = 0; i < polygons.size(); ++i) {
        if (polygons[i].cornerCount < 3) continue;
        const std::pair<int32_t, int32_t> key{polygons[i].layer, surfaceOf[i]};
        auto found = partOf.find(key);
        if (found == partOf.end()) {
            found = partOf.emplace(key, parts.size()).first;
            ShadedPart part;
            part.layer = key.first;
            part.surface = key.second;
            part.hasUvs = true;
            parts.push_back(std::move(part));
            members.emplace_back();
        }
        members[found->second].push_back(i);
        parts[found->second].hasUvs = parts[found->second].hasUvs && hasEveryUv(polygons[i]);
    }
    for (size_t p = 0; p < parts.size(); ++p) {
        ShadedPart& part = parts[p];
        const int32_t s = part.surface;
        const float angle = s >= 0 ? mesh.reader.surfaces[size_t(s)].smoothingAngle : 0.0f;
        const Smoother smoother(polygons, members[p], angle);
        for (size_t i : members[p]) appendPolygon(polygons[i], i, smoother, part);
        if (!part.hasUvs) part.uvs.clear();
    }
    return parts;
}

namespace {

// LWO2 and LWO3 number the modes 0 reset, 1 repeat, 2 mirror, 3 edge; LWOB 0 black, 1 clamp
// (its edge), 2 repeat, 3 mirror.
TextureWrap blockWrap(uint16_t mode) {
    static const TextureWrap kModes[] = {TextureWrap::Reset, TextureWrap::Repeat, TextureWrap::Mirror, TextureWrap::Edge};
    return mode < 4 ? kModes[mode] : TextureWrap::Repeat;
}
TextureWrap legacyWrap(uint16_t mode) {
    static const TextureWrap kModes[] = {TextureWrap::Reset, TextureWrap::Edge, TextureWrap::Repeat, TextureWrap::Mirror};
    return mode < 4 ? kModes[mode] : TextureWrap::Repeat;
}

constexpr int32_t kFrontProjection = 4;  // PROJ

void setColourBlock(const LwoSurface& surface, SurfaceLook& look) {
    for (const LwoImageBlock& block : surface.imageBlocks) {
        if (!block.enabled || !(block.channel == "COLR" || block.channel.empty())) continue;
        look.wrapWidth = blockWrap(block.wrapWidth);
        look.wrapHeight = blockWrap(block.wrapHeight);
        look.frontProjected = block.projection == kFrontProjection && block.problem.empty();
        return;
    }
    for (const LwoLegacyTexture& texture : surface.legacyTextures) {
        if (texture.channel != "CTEX") continue;
        look.wrapWidth = legacyWrap(texture.wrapWidth);
        look.wrapHeight = legacyWrap(texture.wrapHeight);
        return;
    }
}

}  // namespace

SurfaceLook surfaceLook(const LwoSurface* surface) {
    SurfaceLook look;
    if (!surface) return look;
    look.colour = surface->colour;
    look.diffuse = surface->hasDiffuse ? surface->diffuse : 1.0f;
    look.luminosity = surface->luminosity;
    look.specular = surface->specular;
    look.glossiness = surface->glossiness;
    look.transparency = surface->hasTransparency ? surface->transparency : 0.0f;
    look.doubleSided = surface->doubleSided;
    look.textured = drawsTextured(*surface);
    setColourBlock(*surface, look);
    return look;
}

float specularExponent(float glossiness) { return std::exp2(10.0f * glossiness + 2.0f); }
