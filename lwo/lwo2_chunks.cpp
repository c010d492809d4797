#include "lwo/lwo2_chunks.h"

#include "lwo/image_block.h"

#include <cstdint>
#include <ostream>
#include <utility>
#include <vector>

namespace lwo2 {

namespace {

constexpr uint16_t kCornerCountMask = 0x03FF;  // the upper six bits are flags
using iff::describe;

// A point index at the cursor, checked against the latest point set.
int32_t readPointIndex(ByteCursor& c, long long pointCount) {
    const size_t at = c.position();
    const int32_t point = c.readVariableIndex();
    if (!c.failed() && point >= pointCount) c.failAt(at, describe("point %lld >= %lld points", point, pointCount));
    return point;
}

// The point numbers of a polygon of `corners` corners, written from `out`; returns how many
// (the one a read failed at included). A VX is at most four bytes: where that many are left for
// every corner, one check covers the polygon instead of one per corner.
size_t readCorners(ByteCursor& c, size_t corners, long long pointCount, int32_t* out) {
    if (c.remaining() < corners * 4) {
        size_t k = 0;
        for (; k < corners && !c.failed(); ++k) out[k] = readPointIndex(c, pointCount);
        return k;
    }
    size_t badAt = SIZE_MAX;
    const size_t read = c.takeCheckedIndicesBelow(corners, pointCount, out, badAt);
    if (badAt != SIZE_MAX) c.failAt(badAt, describe("point %lld >= %lld points", out[read - 1], pointCount));
    return read;
}

void readFaces(ByteCursor& c, long long pointCount, LwoPolygonSet& set) {
    // Both lists are sized once for the most the chunk can hold and trimmed after, instead of
    // regrowing as they fill: every count and point number read takes two bytes or more, and
    // the read that fails is the last, its entry included.
    const size_t most = c.remaining() / 2 + 1;
    std::vector<int16_t> counts(most);
    std::vector<int32_t> indices(most);
    size_t polygons = 0, corners = 0;
    while (!c.atEnd()) {
        const int16_t n = static_cast<int16_t>(c.readU2() & kCornerCountMask);
        counts[polygons++] = n;
        corners += readCorners(c, static_cast<size_t>(n), pointCount, indices.data() + corners);
    }
    counts.resize(polygons);
    counts.shrink_to_fit();
    indices.resize(corners);
    indices.shrink_to_fit();
    set.cornerCounts = std::move(counts);
    set.indices = std::move(indices);
    set.fileCount = static_cast<int32_t>(set.cornerCounts.size());
}

// The longest PTAG entry: a VX in its four-byte form and a U2.
constexpr size_t kLongestTagEntry = 6;

// One PTAG entry; `tagAt` is where its tag begins. One check covers the entry where its longest
// form fits; nearer the end each value is checked.
void readTagEntry(ByteCursor& c, int32_t& polygon, uint16_t& tag, size_t& tagAt) {
    if (c.remaining() >= kLongestTagEntry) {
        polygon = c.takeCheckedVariableIndex();
        tagAt = c.position();
        tag = c.takeCheckedU2();
        return;
    }
    polygon = c.readVariableIndex();
    tagAt = c.position();
    tag = c.readU2();
}

// COLR, DIFF and TRAN of an LWO2 surface: F4 values, then an optional envelope.
void readSurfaceValue(const std::string& id, ByteCursor& c, int16_t length, LwoSurface& surface) {
    if (id == "COLR") {
        surface.colourLength = length;
        for (float& component : surface.colour) component = c.readF4();
        if (c.remaining() >= 2) surface.colourEnvelope = c.readVariableIndex();
    } else if (id == "DIFF") {
        surface.diffuseLength = length;
        surface.diffuse = c.readF4();
        if (c.remaining() >= 2) surface.diffuseEnvelope = c.readVariableIndex();
    } else if (id == "TRAN") {
        surface.hasTransparency = true;
        surface.transparencyLength = length;
        surface.transparency = c.readF4();
        if (c.remaining() >= 2) surface.transparencyEnvelope = c.readVariableIndex();
    } else {
        readShadingValue(id, c, surface);
    }
    if (id == "DIFF") surface.hasDiffuse = true;
}

// The entries of a vertex map, up to the chunk's end: a point (and for a per-polygon map a
// polygon, checked when polygonCount >= 0), then `dimension` F4 values.
void readMapEntries(ByteCursor& c, long long pointCount, long long polygonCount, bool perPolygon,
                    LwoVertexMap& map) {
    if (c.failed()) return;
    // As many entries as the shortest ones (two-byte VX) would make: the count of a map of
    // two-byte numbers, which no map exceeds.
    const size_t shortest = (perPolygon ? 4 : 2) + size_t(map.dimension) * 4;
    map.entries.reserve(c.remaining() / shortest);
    map.values.reserve(map.entries.capacity() * map.dimension);
    while (!c.atEnd()) {
        LwoVertexMapEntry entry;
        entry.vertex = readPointIndex(c, pointCount);
        if (perPolygon) {
            const size_t at = c.position();
            entry.polygon = c.readVariableIndex();
            if (!c.failed() && polygonCount >= 0 && entry.polygon >= polygonCount) {
                c.failAt(at, describe("polygon %lld >= %lld polygons", entry.polygon, polygonCount));
            }
        }
        if (!c.need(size_t(map.dimension) * 4, "vertex map values")) break;
        for (uint16_t i = 0; i < map.dimension; ++i) map.values.push_back(c.takeCheckedF4());
        map.entries.push_back(entry);
    }
}

}  // namespace

void readShadingValue(const std::string& id, ByteCursor& c, LwoSurface& surface) {
    if (id == "LUMI") surface.luminosity = c.readF4();
    else if (id == "SPEC") surface.specular = c.readF4();
    else if (id == "GLOS") surface.glossiness = c.readF4();
    else if (id == "SMAN") surface.smoothingAngle = c.readF4();
    else if (id == "SIDE") surface.doubleSided = (c.readU2() & 3) == 3;
}

void readTags(LwoImport& in, const iff::Body& body) {
    ByteCursor& c = in.cursor;
    in.records.tagList.chunkLength = static_cast<int32_t>(body.length());
    while (!c.atEnd()) in.records.tagList.tags.push_back(c.readPaddedString());
}

void readLayer(LwoImport& in, const iff::Body& body) {
    ByteCursor& c = in.cursor;
    LwoLayer layer;
    layer.chunkLength = static_cast<int32_t>(body.length());
    layer.number = c.readU2();
    layer.flags = c.readU2();
    layer.pivot = c.readVec12();
    layer.name = c.readPaddedString();
    // The parent index is optional: files from before it was introduced end after the name.
    if (c.remaining() >= 2) {
        layer.hasParent = true;
        layer.parent = c.readU2();
    }
    if (!c.failed()) in.records.layers.push_back(std::move(layer));
    in.records.layerCount = static_cast<int16_t>(in.records.layerCount + 1);
}

void readPoints(LwoImport& in, const iff::Body& body) {
    ByteCursor& c = in.cursor;
    LwoPointSet set;
    set.chunkLength = static_cast<int32_t>(body.length());
    // A remainder shorter than a point carries nothing and is ignored.
    set.points.resize(c.remaining() / 12);
    c.takeCheckedVec12s(set.points.data(), set.points.size());
    in.records.pointSets.push_back(std::move(set));
}

void readBoundingBox(LwoImport& in, const iff::Body& body) {
    in.records.boundingBoxLength = static_cast<int32_t>(body.length());
}

void readPolygons(LwoImport& in, const iff::Body& body) {
    ByteCursor& c = in.cursor;
    LwoRecords& r = in.records;
    const std::string type = c.readId4();
    LwoPolygonSet set =
        r.newPolygonSet(type, static_cast<int32_t>(body.headerStart), static_cast<int32_t>(body.length()));
    if (set.type == "FACE")
        readFaces(c, static_cast<long long>(r.latestPointCount()), set);
    else
        set.fileCount = countPolygonList(c);
    r.polygonSets.push_back(std::move(set));
}

void readPolygonTags(LwoImport& in, const iff::Body& body) {
    ByteCursor& c = in.cursor;
    LwoRecords& r = in.records;
    LwoPolygonTags tags;
    tags.chunkLength = static_cast<int32_t>(body.length());
    tags.chunkOffset = static_cast<int32_t>(body.headerStart);
    tags.type = c.readId4();
    tags.polygonSetIndex = static_cast<int32_t>(r.polygonSets.size()) - 1;
    const long long polygonCount = r.latestPolygonCount();
    // Smoothing groups and other tag types carry numbers of their own, not tag-list indices.
    const bool namesTags = tags.type == "SURF" || tags.type == "PART";
    const long long tagCount = static_cast<long long>(r.tagList.tags.size());
    while (!c.atEnd()) {
        const size_t at = c.position();
        int32_t polygon = 0;
        uint16_t tag = 0;
        size_t tagAt = 0;
        readTagEntry(c, polygon, tag, tagAt);
        if (c.failed()) break;
        if (polygonCount >= 0 && polygon >= polygonCount) {
            c.failAt(at, describe("polygon %lld >= %lld polygons", polygon, polygonCount));
        } else if (namesTags && tag >= tagCount) {
            c.failAt(tagAt, describe("tag %lld >= %lld tags", tag, tagCount));
        }
        tags.polygonIndices.push_back(polygon);
        tags.tags.push_back(tag);
    }
    r.polygonTagSets.push_back(std::move(tags));
}

void readSurface(LwoImport& in, const iff::Body& body) {
    ByteCursor& c = in.cursor;
    LwoSurface surface;
    surface.chunkLength = static_cast<int32_t>(body.length());
    surface.name = c.readPaddedString();
    surface.sourceName = c.readPaddedString();
    iff::walkSubChunks(c, "SURF", "SURF", iff::kSubChunkRule, [&](const std::string& id, const iff::Body& sub) {
        const int16_t length = static_cast<int16_t>(static_cast<uint16_t>(sub.length()));
        if (id != "BLOK") {
            readSurfaceValue(id, c, length, surface);
            return false;
        }
        // The block's own sub-chunks follow and are read as surface sub-chunks: none of them
        // is one this reader keeps, but the flag says the surface carries a texture. An image
        // map's projection is read from a copy of the cursor, leaving this walk as it was.
        surface.blockLength = length;
        surface.hasBlock = true;
        readImageBlock(c, surface);
        return true;
    });
    c.setContext("SURF");
    in.records.surfaces.push_back(std::move(surface));
}

void readVertexMap(LwoImport& in, const iff::Body& body, bool perPolygon) {
    ByteCursor& c = in.cursor;
    LwoRecords& r = in.records;
    LwoVertexMap map;
    map.chunkLength = static_cast<int32_t>(body.length());
    map.type = c.readId4();
    if (c.failed()) return;
    if (classifyVertexMap(map.type) != LwoVertexMapKind::Uv) {
        in.diagnostics << "\n cos opuszczem!!!\n";
        return;
    }
    if (!perPolygon && r.vertexMaps.size() >= kMaxUvMaps) {
        c.failAt(body.headerStart, describe("more than %lld UV maps (%lld read)", kMaxUvMaps, r.vertexMaps.size()));
        return;
    }
    const size_t dimensionAt = c.position();
    map.dimension = c.readU2();
    map.name = c.readPaddedString();
    map.pointSetIndex = static_cast<int32_t>(r.pointSets.size()) - 1;
    if (!c.failed() && map.dimension < 2) {
        c.failAt(dimensionAt, describe("TXUV dimension %lld < %lld", map.dimension, 2));
    }
    readMapEntries(c, static_cast<long long>(r.latestPointCount()), perPolygon ? r.latestPolygonCount() : -1,
                   perPolygon, map);
    (perPolygon ? r.discVertexMaps : r.vertexMaps).push_back(std::move(map));
}

void readClip(LwoImport& in, const iff::Body& body) {
    ByteCursor& c = in.cursor;
    LwoClip clip;
    clip.chunkLength = static_cast<int32_t>(body.length());
    clip.clipIndex = c.readU4();
    clip.subChunkType = c.readId4();
    if (clip.subChunkType == "STIL") {
        clip.stillLength = static_cast<int16_t>(c.readU2());
        clip.fileName = c.readPaddedString();
        if (!c.failed() && in.clipTextureLoader) in.clipTextureLoader(clip.fileName.c_str(), clip.texture);
    }
    in.records.clips.push_back(std::move(clip));
}

void readChunk(LwoImport& in, LwoChunkKind kind, const iff::Body& body) {
    switch (kind) {
        case LwoChunkKind::Tags: readTags(in, body); break;
        case LwoChunkKind::Layer: readLayer(in, body); break;
        case LwoChunkKind::Points: readPoints(in, body); break;
        case LwoChunkKind::BoundingBox: readBoundingBox(in, body); break;
        case LwoChunkKind::Polygons: readPolygons(in, body); break;
        case LwoChunkKind::PolygonTags: readPolygonTags(in, body); break;
        case LwoChunkKind::Surface: readSurface(in, body); break;
        case LwoChunkKind::VertexMap: readVertexMap(in, body, false); break;
        case LwoChunkKind::DiscVertexMap: readVertexMap(in, body, true); break;
        case LwoChunkKind::Clip: readClip(in, body); break;
        case LwoChunkKind::Unknown: break;
    }
}

}  // namespace lwo2
