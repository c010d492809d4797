#include "lwo/mesh_build.h"

#include <cstdio>
#include <unordered_map>

namespace {

constexpr int32_t kNoEntry = -1;

// Point number -> first entry of a VMAP with that vertex.
std::vector<int32_t> indexByVertex(const LwoVertexMap& map, size_t pointCount) {
    std::vector<int32_t> first(pointCount, kNoEntry);
    for (size_t e = 0; e < map.entries.size(); ++e) {
        int32_t vertex = map.entries[e].vertex;
        if (vertex >= 0 && static_cast<size_t>(vertex) < pointCount && first[vertex] == kNoEntry) {
            first[vertex] = static_cast<int32_t>(e);
        }
    }
    return first;
}

uint64_t cornerKey(int32_t vertex, int32_t polygon) {
    return (uint64_t(uint32_t(vertex)) << 32) | uint32_t(polygon);
}

// (point, polygon) -> first entry of a VMAD with that pair.
std::unordered_map<uint64_t, int32_t> indexByCorner(const LwoVertexMap& map) {
    std::unordered_map<uint64_t, int32_t> first;
    first.reserve(map.entries.size());
    for (size_t e = 0; e < map.entries.size(); ++e) {
        const LwoVertexMapEntry& entry = map.entries[e];
        first.emplace(cornerKey(entry.vertex, entry.polygon), static_cast<int32_t>(e));
    }
    return first;
}

bool uvOf(const LwoVertexMapEntry& entry, MeshUv& uv) {
    if (entry.values.size() < 2) return false;
    uv.u = entry.values[0];
    uv.v = 1.0f - entry.values[1];
    return true;
}

// One TXUV map with the per-polygon maps of the same name that override it.
struct UvSource {
    const LwoVertexMap* map;
    std::vector<int32_t> byVertex;
    std::vector<const LwoVertexMap*> discMaps;
    std::vector<std::unordered_map<uint64_t, int32_t>> discByCorner;
};

std::vector<UvSource> uvSources(const LwoReader& reader, int uvMap) {
    std::vector<UvSource> sources;
    for (size_t m = 0; m < reader.vertexMaps.size(); ++m) {
        if (uvMap >= 0 && static_cast<size_t>(uvMap) != m) continue;
        const LwoVertexMap& map = reader.vertexMaps[m];
        size_t pointCount = 0;
        if (map.pointSetIndex >= 0 && static_cast<size_t>(map.pointSetIndex) < reader.pointSets.size()) {
            pointCount = reader.pointSets[map.pointSetIndex].points.size();
        }
        UvSource source{&map, indexByVertex(map, pointCount), {}, {}};
        for (const LwoVertexMap& disc : reader.discVertexMaps) {
            if (disc.name != map.name) continue;
            source.discMaps.push_back(&disc);
            source.discByCorner.push_back(indexByCorner(disc));
        }
        sources.push_back(std::move(source));
    }
    return sources;
}

// The uv entries of one corner, map by map in file order.
void addCornerUvs(const std::vector<UvSource>& sources, int32_t pointSet, int32_t point, int32_t polygon,
                  std::vector<MeshUv>& uvs) {
    for (const UvSource& source : sources) {
        if (source.map->pointSetIndex != pointSet) continue;
        bool haveEntry = false;
        MeshUv uv;
        int32_t e = static_cast<size_t>(point) < source.byVertex.size() ? source.byVertex[point] : kNoEntry;
        if (e != kNoEntry && uvOf(source.map->entries[e], uv)) {
            uvs.push_back(uv);
            haveEntry = true;
        }
        for (size_t d = 0; d < source.discMaps.size(); ++d) {
            if (source.discMaps[d]->pointSetIndex != pointSet) continue;
            auto found = source.discByCorner[d].find(cornerKey(point, polygon));
            if (found == source.discByCorner[d].end()) continue;
            if (!uvOf(source.discMaps[d]->entries[found->second], uv)) continue;
            // Replace this corner's entry from the continuous map; without one there is
            // nothing of this corner's to replace, so the entry is added.
            if (haveEntry)
                uvs.back() = uv;
            else
                uvs.push_back(uv);
            haveEntry = true;
        }
    }
}

std::string located(const LwoPolygonSet& set, const char* format, long long a, long long b) {
    char text[192];
    int n = std::snprintf(text, sizeof text, "POLS at 0x%x: ", static_cast<unsigned>(set.chunkOffset));
    std::snprintf(text + n, sizeof text - n, format, a, b);
    return text;
}

}  // namespace

bool buildMeshPolygons(const LwoReader& reader, int uvMap, std::vector<MeshPolygon>& polygons,
                       PolygonSetStarts& setStarts, std::string* error) {
    setStarts.clear();
    if (uvMap >= 0 && !reader.vertexMaps.empty() && static_cast<size_t>(uvMap) >= reader.vertexMaps.size()) {
        if (error) {
            *error = "UV map " + std::to_string(uvMap) + " >= " + std::to_string(reader.vertexMaps.size()) +
                     " maps";
        }
        return true;
    }
    const std::vector<UvSource> sources = uvSources(reader, uvMap);
    for (const LwoPolygonSet& set : reader.polygonSets) {
        setStarts.push_back(static_cast<int32_t>(polygons.size()));
        if (set.cornerCounts.empty()) continue;
        if (set.pointSetIndex < 0 || static_cast<size_t>(set.pointSetIndex) >= reader.pointSets.size()) {
            if (error)
                *error = located(set, "polygons without a point set (%lld of %lld)", set.pointSetIndex,
                                 reader.pointSets.size());
            return true;
        }
        const std::vector<Vec3>& points = reader.pointSets[set.pointSetIndex].points;
        size_t cursor = 0;
        for (size_t j = 0; j < set.cornerCounts.size(); ++j) {
            MeshPolygon polygon;
            polygon.layer = set.layerCount;
            polygon.cornerCount = set.cornerCounts[j];
            polygon.positions.reserve(polygon.cornerCount);
            for (int k = 0; k < polygon.cornerCount && cursor < set.indices.size(); ++k, ++cursor) {
                int32_t n = set.indices[cursor];
                if (n < 0 || static_cast<size_t>(n) >= points.size()) {
                    if (error) *error = located(set, "point %lld >= %lld points", n, points.size());
                    return true;
                }
                const Vec3& p = points[n];
                polygon.positions.push_back(Vec3{-p.x, -p.y, -p.z});
                addCornerUvs(sources, set.pointSetIndex, n, static_cast<int32_t>(j), polygon.uvs);
            }
            polygons.push_back(std::move(polygon));
        }
    }
    return false;
}

int applySurfaceColours(const LwoReader& reader, const PolygonSetStarts& setStarts,
                        std::vector<MeshPolygon>& polygons, const LwoColour* colour) {
    std::unordered_map<std::string, size_t> surfaceByName;
    for (size_t s = reader.surfaces.size(); s-- > 0;) surfaceByName[reader.surfaces[s].name] = s;
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
            if (tag >= reader.tagList.tags.size() || q < 0 || static_cast<size_t>(q) >= setSize) continue;
            auto found = surfaceByName.find(reader.tagList.tags[tag]);
            if (found == surfaceByName.end() || base + q >= polygons.size()) continue;
            const LwoSurface& surface = reader.surfaces[found->second];
            MeshPolygon& polygon = polygons[base + q];
            polygon.colour = colour ? *colour : surface.colour;
            if (surface.hasBlock) polygon.textured = true;
        }
    }
    return static_cast<int>(reader.polygonTagSets.size());
}
