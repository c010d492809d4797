#include "lwo/lwo_reader.h"

#include "lwo/image_block.h"
#include "lwo/iff_chunks.h"
#include "lwo/lwo3_reader.h"
#include "lwo/lwob_reader.h"

#include <cstdint>
#include <cstdio>
#include <iostream>
#include <utility>

namespace {

constexpr size_t kChunkHeaderSize = 8;  // ID, U4 length
constexpr size_t kSubChunkHeaderSize = 6;  // ID, U2 length
constexpr uint16_t kCornerCountMask = 0x03FF;  // the upper six bits are flags
using iff::kChunkRule;
using iff::kSubChunkRule;

using iff::describe;

}  // namespace

// A chunk reader's hold on its chunk: the body becomes the cursor's readable range, and when
// the scope ends the cursor moves past the body and its pad byte, ready for the next chunk
// (unless a read failed: the walk then stops where the failure left it).
class LwoReader::ChunkScope {
public:
    // `offset` is that of the chunk's length field.
    ChunkScope(LwoReader& reader, int32_t offset)
        : offset_(offset),
          scope_(reader.cursorAt(offset), iff::LengthWidth::Four, static_cast<size_t>(offset) - 4,
                 reader.walkLimit(), reader.bytes.size(), kChunkRule) {}

    // False when the length ran past the data (the failure is recorded).
    bool open() const { return scope_.open(); }
    size_t end() const { return scope_.body().bodyEnd; }
    int32_t length() const { return static_cast<int32_t>(scope_.body().length()); }
    // Of the chunk ID, for messages.
    int32_t chunkOffset() const { return offset_ - 4; }

private:
    int32_t offset_;
    iff::Scope scope_;
};

LwoChunkKind classifyChunk(const std::string& id) {
    static const char* const kIds[] = {"TAGS", "LAYR", "PNTS", "BBOX", "POLS",
                                       "PTAG", "SURF", "VMAP", "VMAD", "CLIP"};
    for (int kind = 0; kind < 10; ++kind) {
        if (id == kIds[kind]) return static_cast<LwoChunkKind>(kind);
    }
    return LwoChunkKind::Unknown;
}

LwoVertexMapKind classifyVertexMap(const std::string& type) {
    if (type == "PICK") return LwoVertexMapKind::Pick;
    if (type == "WGHT") return LwoVertexMapKind::Weight;
    if (type == "MNVW") return LwoVertexMapKind::SubPatchWeight;
    if (type == "TXUV") return LwoVertexMapKind::Uv;
    if (type.size() == 4 && type.compare(0, 3, "RGB") == 0 && type[3] != 'A') {
        return LwoVertexMapKind::Rgb;
    }
    if (type == "RGBA") return LwoVertexMapKind::Rgba;
    if (type == "MORF") return LwoVertexMapKind::Morph;
    if (type == "SPOT") return LwoVertexMapKind::AbsoluteMorph;
    return LwoVertexMapKind::Unknown;
}

int32_t countPolygonList(ByteCursor list) {
    int32_t count = 0;
    while (!list.atEnd()) {
        const uint16_t corners = list.readU2() & kCornerCountMask;
        for (uint16_t k = 0; k < corners && !list.failed(); ++k) list.readVariableIndex();
        if (list.failed()) break;
        ++count;
    }
    return count;
}

LwoFormat classifyForm(const std::string& type) {
    if (type == "LWO2") return LwoFormat::Lwo2;
    if (type == "LWO3") return LwoFormat::Lwo3;
    if (type == "LWOB") return LwoFormat::Lwob;
    return LwoFormat::Unknown;
}

LwoReader::LwoReader(std::vector<uint8_t> fileBytes, std::string name)
    : bytes(std::move(fileBytes)), name_(std::move(name)), cursor_(bytes.data(), bytes.size()) {
    ByteCursor& c = cursor_;
    c.setContext("FORM");
    if (bytes.size() < iff::kFormHeaderSize) {
        c.fail(describe("file too short for a FORM header (%lld bytes, %lld needed)",
                        static_cast<long long>(bytes.size()), iff::kFormHeaderSize));
        return;
    }
    // Offsets are 32-bit, as in the format itself.
    if (bytes.size() > size_t(INT32_MAX)) {
        c.fail("file larger than 2 GiB");
        return;
    }
    formLength = static_cast<int32_t>(readU4(4));
}

ByteCursor& LwoReader::cursor() {
    cursor_.rebind(bytes.data(), bytes.size());
    return cursor_;
}

std::ostream& LwoReader::diagnosticStream() const { return diagnostics ? *diagnostics : std::cout; }

std::string LwoReader::error() const {
    if (!cursor_.failed()) return std::string();
    return name_.empty() ? cursor_.error() : name_ + ": " + cursor_.error();
}

uint8_t LwoReader::readU1(int32_t offset) {
    cursor().seek(static_cast<size_t>(offset));
    return cursor_.readU1();
}

uint16_t LwoReader::readU2(int32_t offset) {
    cursor().seek(static_cast<size_t>(offset));
    return cursor_.readU2();
}

uint32_t LwoReader::readU4(int32_t offset) {
    cursor().seek(static_cast<size_t>(offset));
    return cursor_.readU4();
}

float LwoReader::readF4(int32_t offset) {
    cursor().seek(static_cast<size_t>(offset));
    return cursor_.readF4();
}

std::string LwoReader::readId4(int32_t offset) {
    cursor().seek(static_cast<size_t>(offset));
    return cursor_.readId4();
}

std::string LwoReader::readPaddedString(int32_t offset) {
    cursor().seek(static_cast<size_t>(offset));
    return cursor_.readPaddedString();
}

int32_t LwoReader::readVariableIndex(int32_t offset) {
    cursor().seek(static_cast<size_t>(offset));
    return cursor_.readVariableIndex();
}

ByteCursor& LwoReader::cursorAt(int32_t offset) {
    ByteCursor& c = cursor();
    c.resetEnd();
    c.seek(static_cast<size_t>(offset));
    return c;
}

size_t LwoReader::walkLimit() const { return walkEnd_ ? walkEnd_ : bytes.size(); }

bool LwoReader::checkFormHeader() {
    ByteCursor& c = cursor();
    if (c.failed()) return false;
    size_t formEnd = 0;
    formType = iff::readFormHeader(c, static_cast<uint32_t>(formLength), formEnd);
    if (c.failed()) return false;
    format = classifyForm(formType);
    if (format == LwoFormat::Unknown) {
        c.failAt(8, "form type \"" + formType + "\", expected \"LWO2\", \"LWO3\" or \"LWOB\"");
        return false;
    }
    walkEnd_ = formEnd;
    return true;
}

bool LwoReader::parseChunks(int32_t start) {
    if (!checkFormHeader()) return true;
    ByteCursor& c = cursor();
    c.resetEnd();
    c.seek(static_cast<size_t>(start));
    while (!c.failed() && c.position() < walkEnd_) {
        c.setContext("FORM");
        if (!iff::headerFits(c, walkEnd_, kChunkHeaderSize, "the form end", "chunk")) break;
        currentChunkId = c.readId4();
        currentChunkKind = classifyChunk(currentChunkId);
        c.setContext(currentChunkId);
        const int32_t lengthOffset = static_cast<int32_t>(c.position());
        if (format == LwoFormat::Lwob) {
            readLwobChunk(*this, c, currentChunkId, lengthOffset);
        } else if (format == LwoFormat::Lwo3 && currentChunkId == "FORM") {
            readLwo3Form(*this, c, lengthOffset);
        } else {
            readLwo2Chunk(lengthOffset);
        }
    }
    if (format == LwoFormat::Lwo3) nameBlockPictures(*this);
    return c.failed();
}

void LwoReader::readLwo2Chunk(int32_t lengthOffset) {
    switch (currentChunkKind) {
        case LwoChunkKind::Tags: readTags(lengthOffset); break;
        case LwoChunkKind::Layer: readLayer(lengthOffset); break;
        case LwoChunkKind::Points: readPoints(lengthOffset); break;
        case LwoChunkKind::BoundingBox: readBoundingBox(lengthOffset); break;
        case LwoChunkKind::Polygons: readPolygons(lengthOffset); break;
        case LwoChunkKind::PolygonTags: readPolygonTags(lengthOffset); break;
        case LwoChunkKind::Surface: readSurface(lengthOffset); break;
        case LwoChunkKind::VertexMap: readVertexMap(lengthOffset); break;
        case LwoChunkKind::DiscVertexMap: readDiscVertexMap(lengthOffset); break;
        case LwoChunkKind::Clip: readClip(lengthOffset); break;
        case LwoChunkKind::Unknown: skipChunk(lengthOffset); break;
    }
}

void LwoReader::skipChunk(int32_t offset) { ChunkScope skipped(*this, offset); }

size_t LwoReader::latestPointCount() const {
    return pointSets.empty() ? 0 : pointSets.back().points.size();
}

int64_t LwoReader::latestPolygonCount() const {
    if (polygonSets.empty()) return 0;
    const LwoPolygonSet& set = polygonSets.back();
    return set.type == "FACE" ? static_cast<int64_t>(set.cornerCounts.size()) : -1;
}

void LwoReader::readTags(int32_t offset) {
    ChunkScope chunk(*this, offset);
    if (!chunk.open()) return;
    tagList.chunkLength = chunk.length();
    while (!cursor_.atEnd()) tagList.tags.push_back(cursor_.readPaddedString());
}

void LwoReader::readLayer(int32_t offset) {
    ChunkScope chunk(*this, offset);
    if (!chunk.open()) return;
    LwoLayer layer;
    layer.chunkLength = chunk.length();
    layer.number = cursor_.readU2();
    layer.flags = cursor_.readU2();
    layer.pivot.x = cursor_.readF4();
    layer.pivot.y = cursor_.readF4();
    layer.pivot.z = cursor_.readF4();
    layer.name = cursor_.readPaddedString();
    // The parent index is optional: files from before it was introduced end after the name.
    if (cursor_.remaining() >= 2) {
        layer.hasParent = true;
        layer.parent = cursor_.readU2();
    }
    if (!cursor_.failed()) layers.push_back(std::move(layer));
    layerCount = static_cast<int16_t>(layerCount + 1);
}

void LwoReader::readPoints(int32_t offset) {
    ChunkScope chunk(*this, offset);
    if (!chunk.open()) return;
    LwoPointSet set;
    set.chunkLength = chunk.length();
    set.points.reserve(cursor_.remaining() / 12);
    // A remainder shorter than a point carries nothing and is ignored.
    while (cursor_.remaining() >= 12) {
        Vec3 p;
        p.x = cursor_.readF4();
        p.y = cursor_.readF4();
        p.z = cursor_.readF4();
        set.points.push_back(p);
    }
    pointSets.push_back(std::move(set));
}

void LwoReader::readBoundingBox(int32_t offset) {
    ChunkScope chunk(*this, offset);
    if (!chunk.open()) return;
    boundingBoxLength = chunk.length();
}

void LwoReader::readPolygons(int32_t offset) {
    ChunkScope chunk(*this, offset);
    if (!chunk.open()) return;
    LwoPolygonSet set;
    set.chunkLength = chunk.length();
    set.chunkOffset = chunk.chunkOffset();
    set.type = cursor_.readId4();
    set.layerCount = layerCount;
    set.pointSetIndex = static_cast<int32_t>(pointSets.size()) - 1;
    if (set.type == "FACE") {
        const long long pointCount = static_cast<long long>(latestPointCount());
        while (!cursor_.atEnd()) {
            int16_t corners = static_cast<int16_t>(cursor_.readU2() & kCornerCountMask);
            set.cornerCounts.push_back(corners);
            for (int k = 0; k < corners && !cursor_.failed(); ++k) {
                size_t at = cursor_.position();
                int32_t point = cursor_.readVariableIndex();
                if (!cursor_.failed() && point >= pointCount) {
                    cursor_.failAt(at, describe("point %lld >= %lld points", point, pointCount));
                }
                set.indices.push_back(point);
            }
        }
        set.fileCount = static_cast<int32_t>(set.cornerCounts.size());
    } else {
        set.fileCount = countPolygonList(cursor_);
    }
    polygonSets.push_back(std::move(set));
}

void LwoReader::readPolygonTags(int32_t offset) {
    ChunkScope chunk(*this, offset);
    if (!chunk.open()) return;
    LwoPolygonTags tags;
    tags.chunkLength = chunk.length();
    tags.chunkOffset = chunk.chunkOffset();
    tags.type = cursor_.readId4();
    tags.polygonSetIndex = static_cast<int32_t>(polygonSets.size()) - 1;
    const long long polygonCount = latestPolygonCount();
    // Smoothing groups and other tag types carry numbers of their own, not tag-list indices.
    const bool namesTags = tags.type == "SURF" || tags.type == "PART";
    const long long tagCount = static_cast<long long>(tagList.tags.size());
    while (!cursor_.atEnd()) {
        size_t at = cursor_.position();
        int32_t polygon = cursor_.readVariableIndex();
        size_t tagAt = cursor_.position();
        uint16_t tag = cursor_.readU2();
        if (cursor_.failed()) break;
        if (polygonCount >= 0 && polygon >= polygonCount) {
            cursor_.failAt(at, describe("polygon %lld >= %lld polygons", polygon, polygonCount));
        } else if (namesTags && tag >= tagCount) {
            cursor_.failAt(tagAt, describe("tag %lld >= %lld tags", tag, tagCount));
        }
        tags.polygonIndices.push_back(polygon);
        tags.tags.push_back(tag);
    }
    polygonTagSets.push_back(std::move(tags));
}

void LwoReader::readSurface(int32_t offset) {
    ChunkScope chunk(*this, offset);
    if (!chunk.open()) return;
    LwoSurface surface;
    surface.chunkLength = chunk.length();
    surface.name = cursor_.readPaddedString();
    surface.sourceName = cursor_.readPaddedString();
    while (!cursor_.atEnd()) readSurfaceSubChunk(surface, chunk.end());
    cursor_.setContext("SURF");
    surfaces.push_back(std::move(surface));
}

void readShadingValue(const std::string& id, ByteCursor& c, LwoSurface& surface) {
    if (id == "LUMI") surface.luminosity = c.readF4();
    else if (id == "SPEC") surface.specular = c.readF4();
    else if (id == "GLOS") surface.glossiness = c.readF4();
    else if (id == "SMAN") surface.smoothingAngle = c.readF4();
    else if (id == "SIDE") surface.doubleSided = (c.readU2() & 3) == 3;
}

void LwoReader::readSurfaceSubChunk(LwoSurface& surface, size_t surfaceEnd) {
    ByteCursor& c = cursor_;
    c.setContext("SURF");
    if (!c.need(kSubChunkHeaderSize, "sub-chunk header")) return;
    const size_t headerStart = c.position();
    std::string id = c.readId4();
    c.setContext("SURF " + id);
    iff::Body sub;
    if (!iff::openBody(c, iff::LengthWidth::Two, headerStart, surfaceEnd, kSubChunkRule, sub)) return;
    const uint16_t length = static_cast<uint16_t>(sub.length());
    if (id == "BLOK") {
        // The block's own sub-chunks follow and are read as surface sub-chunks: none of them
        // is one this reader keeps, but the flag says the surface carries a texture. An image
        // map's projection is read from a copy of the cursor, leaving this walk as it was.
        c.setEnd(surfaceEnd);
        surface.blockLength = static_cast<int16_t>(length);
        surface.hasBlock = true;
        readImageBlock(c, c.position() + length, surface);
        return;
    }
    if (id == "COLR") {
        surface.colourLength = static_cast<int16_t>(length);
        for (float& component : surface.colour) component = c.readF4();
        if (c.remaining() >= 2) surface.colourEnvelope = c.readVariableIndex();
    } else if (id == "DIFF") {
        surface.diffuseLength = static_cast<int16_t>(length);
        surface.diffuse = c.readF4();
        if (c.remaining() >= 2) surface.diffuseEnvelope = c.readVariableIndex();
    } else if (id == "TRAN") {
        surface.hasTransparency = true;
        surface.transparencyLength = static_cast<int16_t>(length);
        surface.transparency = c.readF4();
        if (c.remaining() >= 2) surface.transparencyEnvelope = c.readVariableIndex();
    } else {
        readShadingValue(id, c, surface);
    }
    if (id == "DIFF") surface.hasDiffuse = true;
    iff::closeBody(c, sub, surfaceEnd, surfaceEnd);
}

void LwoReader::readVertexMap(int32_t offset) { readVertexMapChunk(offset, false); }

void LwoReader::readDiscVertexMap(int32_t offset) { readVertexMapChunk(offset, true); }

void LwoReader::readVertexMapChunk(int32_t offset, bool perPolygon) {
    ChunkScope chunk(*this, offset);
    if (!chunk.open()) return;
    LwoVertexMap map;
    map.chunkLength = chunk.length();
    map.type = cursor_.readId4();
    if (cursor_.failed()) return;
    if (classifyVertexMap(map.type) != LwoVertexMapKind::Uv) {
        diagnosticStream() << "\n cos opuszczem!!!\n";
        return;
    }
    if (!perPolygon && vertexMaps.size() >= kMaxUvMaps) {
        cursor_.failAt(static_cast<size_t>(chunk.chunkOffset()),
                       describe("more than %lld UV maps (%lld read)", kMaxUvMaps, vertexMaps.size()));
        return;
    }
    size_t dimensionAt = cursor_.position();
    map.dimension = cursor_.readU2();
    map.name = cursor_.readPaddedString();
    map.pointSetIndex = static_cast<int32_t>(pointSets.size()) - 1;
    if (!cursor_.failed() && map.dimension < 2) {
        cursor_.failAt(dimensionAt, describe("TXUV dimension %lld < %lld", map.dimension, 2));
    }
    const long long pointCount = static_cast<long long>(latestPointCount());
    const long long polygonCount = latestPolygonCount();
    while (!cursor_.atEnd()) {
        LwoVertexMapEntry entry;
        size_t at = cursor_.position();
        entry.vertex = cursor_.readVariableIndex();
        if (!cursor_.failed() && entry.vertex >= pointCount) {
            cursor_.failAt(at, describe("point %lld >= %lld points", entry.vertex, pointCount));
        }
        if (perPolygon) {
            at = cursor_.position();
            entry.polygon = cursor_.readVariableIndex();
            if (!cursor_.failed() && polygonCount >= 0 && entry.polygon >= polygonCount) {
                cursor_.failAt(at, describe("polygon %lld >= %lld polygons", entry.polygon,
                                            polygonCount));
            }
        }
        if (!cursor_.need(size_t(map.dimension) * 4, "vertex map values")) break;
        entry.values.resize(map.dimension);
        for (float& value : entry.values) value = cursor_.readF4();
        map.entries.push_back(std::move(entry));
    }
    (perPolygon ? discVertexMaps : vertexMaps).push_back(std::move(map));
}

void LwoReader::readClip(int32_t offset) {
    ChunkScope chunk(*this, offset);
    if (!chunk.open()) return;
    LwoClip clip;
    clip.chunkLength = chunk.length();
    clip.clipIndex = cursor_.readU4();
    clip.subChunkType = cursor_.readId4();
    if (clip.subChunkType == "STIL") {
        clip.stillLength = static_cast<int16_t>(cursor_.readU2());
        clip.fileName = cursor_.readPaddedString();
        if (!cursor_.failed() && clipTextureLoader) {
            clipTextureLoader(clip.fileName.c_str(), clip.texture);
        }
    }
    clips.push_back(std::move(clip));
}
