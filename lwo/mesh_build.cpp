#include "lwo/mesh_build.h"

#include "lwo/projection_uv.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <map>
#include <unordered_map>
#include <utility>

namespace {

constexpr int32_t kNoEntry = -1;

// Point number -> first entry of a VMAP with that vertex: a table when the map covers a fair
// share of its points, a hash otherwise, so memory follows the map's size, not the mesh's.
class VertexIndex {
public:
    VertexIndex(const LwoVertexMap& map, size_t pointCount) {
        const bool dense = map.entries.size() * 4 >= pointCount;
        if (dense) table_.assign(pointCount, kNoEntry);
        for (size_t e = map.entries.size(); e-- > 0;) {  // backwards: the first entry wins
            const int32_t vertex = map.entries[e].vertex;
            if (vertex < 0 || static_cast<size_t>(vertex) >= pointCount) continue;
            if (dense) table_[vertex] = static_cast<int32_t>(e);
            else sparse_[vertex] = static_cast<int32_t>(e);
        }
    }
    int32_t find(int32_t point) const {
        if (!table_.empty()) return static_cast<size_t>(point) < table_.size() ? table_[point] : kNoEntry;
        auto found = sparse_.find(point);
        return found == sparse_.end() ? kNoEntry : found->second;
    }

private:
    std::vector<int32_t> table_;
    std::unordered_map<int32_t, int32_t> sparse_;
};

uint64_t cornerKey(int32_t vertex, int32_t polygon) {
    return (uint64_t(uint32_t(vertex)) << 32) | uint32_t(polygon);
}

// (point, polygon) -> the entry that ends up on that corner from all per-polygon maps of one
// name and point set. Each such map replaces what the previous one put there, so the last map
// holding the pair wins, with its first entry for it.
struct MapEntry {
    const LwoVertexMap* map;
    size_t entry;
};
using CornerIndex = std::unordered_map<uint64_t, MapEntry>;

CornerIndex indexByCorner(const LwoReader& reader, const std::string& name, int32_t pointSet) {
    CornerIndex index;
    for (const LwoVertexMap& disc : reader.discVertexMaps) {
        if (disc.name != name || disc.pointSetIndex != pointSet) continue;
        for (size_t e = disc.entries.size(); e-- > 0;) {
            const LwoVertexMapEntry& entry = disc.entries[e];
            index[cornerKey(entry.vertex, entry.polygon)] = MapEntry{&disc, e};
        }
    }
    return index;
}

bool uvOf(const LwoVertexMap& map, size_t entry, MeshUv& uv) {
    if (map.dimension < 2) return false;
    const Span<float> values = map.valuesOf(entry);
    uv.u = values[0];
    uv.v = 1.0f - values[1];
    return true;
}

// One TXUV map with the per-polygon maps of the same name that override it.
struct UvSource {
    const LwoVertexMap* map;
    VertexIndex byVertex;
    const CornerIndex* byCorner;
};

class UvSources {
public:
    UvSources(const LwoReader& reader, int uvMap) {
        for (size_t m = 0; m < reader.vertexMaps.size(); ++m) {
            if (uvMap >= 0 && static_cast<size_t>(uvMap) != m) continue;
            const LwoVertexMap& map = reader.vertexMaps[m];
            size_t pointCount = 0;
            if (map.pointSetIndex >= 0 && static_cast<size_t>(map.pointSetIndex) < reader.pointSets.size()) {
                pointCount = reader.pointSets[map.pointSetIndex].points.size();
            }
            auto key = std::make_pair(map.name, map.pointSetIndex);
            auto cached = cornerIndexes_.find(key);
            if (cached == cornerIndexes_.end()) {
                cached = cornerIndexes_.emplace(key, indexByCorner(reader, map.name, map.pointSetIndex)).first;
            }
            bySet_[map.pointSetIndex].push_back(UvSource{&map, VertexIndex(map, pointCount), &cached->second});
        }
    }

    // The maps over one point set, in file order; null when none is.
    const std::vector<UvSource>* sourcesFor(int32_t pointSet) const {
        auto found = bySet_.find(pointSet);
        return found == bySet_.end() ? nullptr : &found->second;
    }

    // Appends the uv entries of one corner from `sources` (sourcesFor's) to the polygon being
    // built, map by map in file order: one per map that covers the corner, its per-polygon
    // entry over its own. Returns how many.
    static size_t addCornerUvs(const std::vector<UvSource>& sources, int32_t point, int32_t polygon,
                               MeshPolygons& mesh) {
        size_t added = 0;
        for (const UvSource& source : sources) {
            MeshUv uv;
            const int32_t e = source.byVertex.find(point);
            bool covered = e != kNoEntry && uvOf(*source.map, size_t(e), uv);
            if (!source.byCorner->empty()) {
                auto disc = source.byCorner->find(cornerKey(point, polygon));
                covered = (disc != source.byCorner->end() && uvOf(*disc->second.map, disc->second.entry, uv)) || covered;
            }
            if (!covered) continue;
            mesh.addUv(uv);
            ++added;
        }
        return added;
    }

private:
    std::map<std::pair<std::string, int32_t>, CornerIndex> cornerIndexes_;
    std::map<int32_t, std::vector<UvSource>> bySet_;
};

std::string located(const LwoPolygonSet& set, const char* format, long long a, long long b) {
    char text[192];
    int n = std::snprintf(text, sizeof text, "POLS at 0x%x: ", static_cast<unsigned>(set.chunkOffset));
    std::snprintf(text + n, sizeof text - n, format, a, b);
    return text;
}

// What the polygons of one set are built from: its point set and the UV maps over it (null
// for none).
struct SetSources {
    const std::vector<Vec3>& points;
    const std::vector<UvSource>* uvMaps;
};

// Polygon j of `set`, whose point numbers start at `cursor` (moved past them), onto the end of
// `polygons`. True on failure, with the located reason in *error.
bool buildPolygon(const LwoPolygonSet& set, size_t j, const SetSources& from, size_t& cursor,
                  MeshPolygons& polygons, std::string* error) {
    const int32_t cornerCount = set.cornerCounts[j];
    polygons.startPolygon(set.layerCount, cornerCount);
    for (int k = 0; k < cornerCount && cursor < set.indices.size(); ++k, ++cursor) {
        const int32_t n = set.indices[cursor];
        if (n < 0 || static_cast<size_t>(n) >= from.points.size()) {
            if (error) *error = located(set, "point %lld >= %lld points", n, from.points.size());
            return true;
        }
        const Vec3& p = from.points[n];
        polygons.addPosition(Vec3{-p.x, -p.y, -p.z});
        if (!from.uvMaps) continue;
        const size_t added = UvSources::addCornerUvs(*from.uvMaps, n, static_cast<int32_t>(j), polygons);
        if (added > kMaxUvEntriesPerCorner) {
            if (error) {
                *error = located(set, "polygon %lld has a corner with more than %lld UV entries",
                                 static_cast<long long>(j), kMaxUvEntriesPerCorner);
            }
            return true;
        }
    }
    polygons.endPolygon();
    return false;
}

// The polygons of a set that no UV map is over. Their corners are the set's point numbers read
// through in order, so the positions are made in one pass and the polygons laid over them in
// another. A point number out of range fails the polygon it belongs to, as buildPolygon's
// would: the polygons before it stay, with that one last for the caller to drop.
bool buildPlainSet(const LwoPolygonSet& set, const std::vector<Vec3>& points, MeshPolygons& polygons,
                   std::string* error) {
    const size_t base = polygons.allPositions().size();
    // Point numbers past the polygons' corners (records made by hand can have them) are no
    // corner's and are not read.
    size_t count = 0;
    for (int16_t corners : set.cornerCounts) count += static_cast<size_t>(std::max<int16_t>(corners, 0));
    count = std::min(count, set.indices.size());
    Vec3* positions = polygons.addPositions(count);
    size_t bad = count;
    for (size_t i = 0; i < count; ++i) {
        const int32_t n = set.indices[i];
        if (n < 0 || static_cast<size_t>(n) >= points.size()) {
            bad = i;
            break;
        }
        const Vec3& p = points[size_t(n)];
        positions[i] = Vec3{-p.x, -p.y, -p.z};
    }
    size_t cursor = 0;
    for (size_t j = 0; j < set.cornerCounts.size(); ++j) {
        const int32_t cornerCount = set.cornerCounts[j];
        // A list cut short gives its last polygon the corners that are there.
        const size_t corners = std::min(static_cast<size_t>(std::max<int32_t>(cornerCount, 0)), count - cursor);
        polygons.addPolygonOver(set.layerCount, cornerCount, base + cursor, corners);
        if (bad < cursor + corners) {
            if (error) *error = located(set, "point %lld >= %lld points", set.indices[bad], points.size());
            return true;
        }
        cursor += corners;
    }
    return false;
}

// The projection of a surface's first enabled colour image block, when that block projects from
// positions and was read whole (LWO2, LWO3).
bool blockProjection(const LwoSurface& surface, TextureProjection& projection) {
    for (const LwoImageBlock& block : surface.imageBlocks) {
        if (!block.enabled || !(block.channel == "COLR" || block.channel.empty())) continue;
        const auto kind = static_cast<ProjectionKind>(block.projection);
        if (!block.problem.empty() || !projectsFromPositions(kind)) return false;
        projection = TextureProjection{kind,           block.axis,           block.centre,          block.size,
                                       block.rotation, block.wrapCountWidth, block.wrapCountHeight};
        return true;
    }
    return false;
}

// The projection of an LWOB surface's first colour texture that names a picture, when its type
// is an image map projected from positions. Its axis is the first of the X, Y, Z flags (1, 2, 4).
bool legacyProjection(const LwoSurface& surface, TextureProjection& projection) {
    static const std::pair<const char*, ProjectionKind> kTypes[] = {
        {"Planar Image Map", ProjectionKind::Planar},
        {"Cylindrical Image Map", ProjectionKind::Cylindrical},
        {"Spherical Image Map", ProjectionKind::Spherical},
        {"Cubic Image Map", ProjectionKind::Cubic},
    };
    for (const LwoLegacyTexture& texture : surface.legacyTextures) {
        if (texture.channel != "CTEX" || texture.image.empty() || texture.image == "(none)") continue;
        for (const auto& [name, kind] : kTypes) {
            if (texture.type != name) continue;
            const int axis = (texture.flags & 1) ? 0 : (texture.flags & 2) ? 1 : (texture.flags & 4) ? 2 : 0;
            projection = TextureProjection{kind,   axis,   texture.centre,         texture.size,
                                           Vec3{}, texture.wrapCountWidth, texture.wrapCountHeight};
            return true;
        }
        return false;
    }
    return false;
}

// The projection a surface's picture is laid on with, from whichever record its format keeps.
bool surfaceProjection(const LwoSurface& surface, TextureProjection& projection) {
    return blockProjection(surface, projection) || legacyProjection(surface, projection);
}

// Calls visit(polygon, surface) for every SURF polygon tag that names a surface, in file order
// (a polygon tagged twice is visited twice): `polygon` indexes the polygon list, `surface`
// reader.surfaces (found by name, the first of a name).
template <typename Visit>
void forEachSurfaceTag(const LwoReader& reader, const PolygonSetStarts& setStarts, size_t polygonCount, Visit visit) {
    std::unordered_map<std::string, size_t> surfaceByName;
    for (size_t s = reader.surfaces.size(); s-- > 0;) surfaceByName[reader.surfaces[s].name] = s;
    // Each tag's surface is found by name once, not once per polygon it tags.
    constexpr size_t kNoSurface = SIZE_MAX;
    std::vector<size_t> surfaceOfTag(reader.tagList.tags.size(), kNoSurface);
    for (size_t t = 0; t < surfaceOfTag.size(); ++t) {
        auto found = surfaceByName.find(reader.tagList.tags[t]);
        if (found != surfaceByName.end()) surfaceOfTag[t] = found->second;
    }
    for (const LwoPolygonTags& tagSet : reader.polygonTagSets) {
        // Part names, smoothing groups and the like tag polygons but do not choose surfaces.
        if (tagSet.type != "SURF") continue;
        int32_t setIndex = tagSet.polygonSetIndex;
        if (setIndex < 0 || static_cast<size_t>(setIndex) >= setStarts.size()) continue;
        const size_t base = static_cast<size_t>(setStarts[setIndex]);
        const size_t setSize = reader.polygonSets[setIndex].cornerCounts.size();
        for (size_t i = 0; i < tagSet.polygonIndices.size() && i < tagSet.tags.size(); ++i) {
            const size_t tag = tagSet.tags[i];
            const int32_t q = tagSet.polygonIndices[i];
            if (tag >= surfaceOfTag.size() || q < 0 || static_cast<size_t>(q) >= setSize) continue;
            if (surfaceOfTag[tag] == kNoSurface || base + q >= polygonCount) continue;
            visit(base + q, surfaceOfTag[tag]);
        }
    }
}

// Polygons of projection-mapped surfaces that no UV map reached get a uv per corner from the
// projection, v flipped as a map's is, so they draw as UV-mapped polygons do.
void addProjectedUvs(const LwoReader& reader, const PolygonSetStarts& setStarts, MeshPolygons& polygons) {
    std::vector<TextureProjection> projections(reader.surfaces.size());
    std::vector<bool> projected(reader.surfaces.size(), false);
    bool any = false;
    for (size_t s = 0; s < reader.surfaces.size(); ++s) {
        projected[s] = surfaceProjection(reader.surfaces[s], projections[s]);
        any = any || projected[s];
    }
    if (!any) return;
    const std::vector<int32_t> surfaceOf = polygonSurfaceIndices(reader, setStarts, polygons.size());
    std::vector<Vec3> corners;
    std::vector<MeshUv> uvs;
    for (size_t i = 0; i < polygons.size(); ++i) {
        const MeshPolygon polygon = polygons[i];
        const int32_t s = surfaceOf[i];
        if (s < 0 || !projected[s] || !polygon.uvs.empty()) continue;
        corners.clear();
        // Back to the file's coordinates, which the projection is given in.
        for (const Vec3& p : polygon.positions) corners.push_back(Vec3{-p.x, -p.y, -p.z});
        uvs.clear();
        for (const ProjectedUv& uv : projectPolygon(projections[s], corners)) {
            uvs.push_back(MeshUv{uv.u, 1.0f - uv.v, 0.0f});
        }
        polygons.setUvs(i, uvs);
    }
}

}  // namespace

bool buildMeshPolygons(const LwoReader& reader, int uvMap, MeshPolygons& polygons,
                       PolygonSetStarts& setStarts, std::string* error) {
    setStarts.clear();
    if (uvMap >= 0 && !reader.vertexMaps.empty() && static_cast<size_t>(uvMap) >= reader.vertexMaps.size()) {
        if (error) {
            *error = "UV map " + std::to_string(uvMap) + " >= " + std::to_string(reader.vertexMaps.size()) +
                     " maps";
        }
        return true;
    }
    const UvSources sources(reader, uvMap);
    // A uv per corner where a map is over the polygons' points: what a UV-mapped object has.
    size_t polygonCount = 0, cornerCount = 0, uvCount = 0;
    for (const LwoPolygonSet& set : reader.polygonSets) {
        polygonCount += set.cornerCounts.size();
        cornerCount += set.indices.size();
        if (sources.sourcesFor(set.pointSetIndex)) uvCount += set.indices.size();
    }
    if (polygons.allPositions().size() + cornerCount > kMaxMeshCorners) {
        if (error) *error = "more than " + std::to_string(kMaxMeshCorners) + " corners in one mesh";
        return true;
    }
    polygons.reserve(polygonCount, cornerCount, uvCount);
    for (const LwoPolygonSet& set : reader.polygonSets) {
        setStarts.push_back(static_cast<int32_t>(polygons.size()));
        if (set.cornerCounts.empty()) continue;
        if (set.pointSetIndex < 0 || static_cast<size_t>(set.pointSetIndex) >= reader.pointSets.size()) {
            if (error)
                *error = located(set, "polygons without a point set (%lld of %lld)", set.pointSetIndex,
                                 reader.pointSets.size());
            return true;
        }
        const SetSources from{reader.pointSets[set.pointSetIndex].points, sources.sourcesFor(set.pointSetIndex)};
        if (!from.uvMaps) {
            if (!buildPlainSet(set, from.points, polygons, error)) continue;
            polygons.truncate(polygons.size() - 1);  // as below
            return true;
        }
        size_t cursor = 0;
        for (size_t j = 0; j < set.cornerCounts.size(); ++j) {
            if (buildPolygon(set, j, from, cursor, polygons, error)) {
                // A failed build leaves the polygons before it as they were.
                polygons.truncate(polygons.size() - 1);
                return true;
            }
        }
    }
    addProjectedUvs(reader, setStarts, polygons);
    return false;
}

std::vector<int32_t> polygonSurfaceIndices(const LwoReader& reader, const PolygonSetStarts& setStarts,
                                           size_t polygonCount) {
    // The last tag of a polygon chooses its surface, as it chooses its colour.
    std::vector<int32_t> surfaceOf(polygonCount, -1);
    forEachSurfaceTag(reader, setStarts, polygonCount,
                      [&](size_t polygon, size_t surface) { surfaceOf[polygon] = static_cast<int32_t>(surface); });
    return surfaceOf;
}

bool drawsTextured(const LwoSurface& surface) { return surface.hasBlock || !surface.imageName.empty(); }

int applySurfaceColours(const LwoReader& reader, const PolygonSetStarts& setStarts,
                        MeshPolygons& polygons, const LwoColour* colour) {
    // Each surface's colour goes into the mesh's colour list once, when a tag first names it.
    constexpr uint32_t kNotAdded = UINT32_MAX;
    std::vector<uint32_t> colourOf(reader.surfaces.size(), kNotAdded);
    const uint32_t given = colour ? polygons.addColour(*colour) : kNotAdded;
    forEachSurfaceTag(reader, setStarts, polygons.size(), [&](size_t q, size_t s) {
        const LwoSurface& surface = reader.surfaces[s];
        if (given == kNotAdded && colourOf[s] == kNotAdded) colourOf[s] = polygons.addColour(surface.colour);
        polygons.setColourIndex(q, given != kNotAdded ? given : colourOf[s]);
        if (drawsTextured(surface)) polygons.setTextured(q, true);
    });
    return static_cast<int>(reader.polygonTagSets.size());
}

MeshPolygon MeshPolygons::operator[](size_t i) const {
    const Record& r = records_[i];
    MeshPolygon polygon;
    polygon.positions = Span<Vec3>(positions_.data() + r.firstPosition, r.positionCount);
    polygon.cornerCount = r.cornerCount;
    polygon.uvs = Span<MeshUv>(uvs_.data() + r.firstUv, r.uvCount);
    polygon.textured = r.textured;
    polygon.layer = r.layer;
    polygon.colour = colours_[r.colour];
    return polygon;
}

MeshPolygon MeshPolygons::at(size_t i) const {
    if (i >= size()) throw std::out_of_range("MeshPolygons::at");
    return (*this)[i];
}

void MeshPolygons::clear() {
    records_.clear();
    positions_.clear();
    uvs_.clear();
    colours_.resize(1);
}

void MeshPolygons::reserve(size_t polygons, size_t corners, size_t uvs) {
    records_.reserve(records_.size() + polygons);
    positions_.reserve(positions_.size() + corners);
    uvs_.reserve(uvs_.size() + uvs);
}

void MeshPolygons::truncate(size_t count) {
    if (count >= records_.size()) return;
    // Projected uvs of earlier polygons may lie after a later polygon's own, so the uvs keep
    // everything up to the end of the last one kept.
    const Record& first = records_[count];
    size_t uvEnd = first.firstUv;
    for (size_t i = 0; i < count; ++i) uvEnd = std::max<size_t>(uvEnd, records_[i].firstUv + records_[i].uvCount);
    positions_.resize(first.firstPosition);
    uvs_.resize(uvEnd);
    records_.resize(count);
}

void MeshPolygons::add(const MeshPolygon& polygon) {
    startPolygon(polygon.layer, polygon.cornerCount);
    for (const Vec3& p : polygon.positions) addPosition(p);
    for (const MeshUv& uv : polygon.uvs) addUv(uv);
    endPolygon();
    setColour(records_.size() - 1, polygon.colour);
    records_.back().textured = polygon.textured;
}

void MeshPolygons::setUvs(size_t i, Span<MeshUv> uvs) {
    Record& r = records_[i];
    r.firstUv = static_cast<uint32_t>(uvs_.size());
    r.uvCount = static_cast<uint16_t>(uvs.size());
    uvs_.insert(uvs_.end(), uvs.begin(), uvs.end());
}
