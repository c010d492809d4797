#include "lwo/lwo_reader.h"

#include <cstdint>
#include <cstdio>
#include <iostream>
#include <utility>

namespace {

constexpr size_t kFormHeaderSize = 12;  // "FORM", length, form type
constexpr size_t kChunkHeaderSize = 8;  // ID, U4 length
constexpr size_t kSubChunkHeaderSize = 6;  // ID, U2 length
constexpr uint16_t kCornerCountMask = 0x03FF;  // the upper six bits are flags

std::string describe(const char* format, long long a, long long b) {
    char text[160];
    std::snprintf(text, sizeof text, format, a, b);
    return text;
}

}  // namespace

// A chunk reader's hold on its chunk: the body becomes the cursor's readable range, and when
// the scope ends the cursor moves past the body and its pad byte, ready for the next chunk
// (unless a read failed: the walk then stops where the failure left it).
class LwoReader::ChunkScope {
public:
    // `offset` is that of the chunk's length field.
    ChunkScope(LwoReader& reader, int32_t offset) : reader_(reader), offset_(offset) {
        open_ = reader.beginChunk(offset, end_);
    }
    ~ChunkScope() {
        if (open_) reader_.endChunk(offset_, end_);
    }
    ChunkScope(const ChunkScope&) = delete;
    ChunkScope& operator=(const ChunkScope&) = delete;

    // False when the length ran past the data (the failure is recorded).
    bool open() const { return open_; }
    size_t end() const { return end_; }
    int32_t length() const { return static_cast<int32_t>(end_ - static_cast<size_t>(offset_) - 4); }
    // Of the chunk ID, for messages.
    int32_t chunkOffset() const { return offset_ - 4; }

private:
    LwoReader& reader_;
    int32_t offset_;
    size_t end_ = 0;
    bool open_ = false;
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

LwoReader::LwoReader(std::vector<uint8_t> fileBytes, std::string name)
    : bytes(std::move(fileBytes)), name_(std::move(name)), cursor_(bytes.data(), bytes.size()) {
    ByteCursor& c = cursor_;
    c.setContext("FORM");
    if (bytes.size() < kFormHeaderSize) {
        c.fail(describe("file too short for a FORM header (%lld bytes, %lld needed)",
                        static_cast<long long>(bytes.size()), kFormHeaderSize));
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

bool LwoReader::checkFormHeader() {
    ByteCursor& c = cursor();
    if (c.failed()) return false;
    c.setContext("FORM");
    c.seek(0);
    std::string form = c.readId4();
    if (form != "FORM") {
        c.failAt(0, "not an IFF FORM file");
        return false;
    }
    c.seek(8);
    std::string type = c.readId4();
    if (type != "LWO2") {
        c.failAt(8, "form type \"" + type + "\", expected \"LWO2\"");
        return false;
    }
    uint64_t formEnd = uint64_t(static_cast<uint32_t>(formLength)) + 8;
    if (formEnd > bytes.size()) {
        c.failAt(4, describe("form length %lld runs past the end of the file (%lld bytes)",
                             static_cast<long long>(static_cast<uint32_t>(formLength)),
                             static_cast<long long>(bytes.size())));
        return false;
    }
    walkEnd_ = static_cast<size_t>(formEnd);
    return true;
}

bool LwoReader::parseChunks(int32_t start) {
    if (!checkFormHeader()) return true;
    ByteCursor& c = cursor();
    c.resetEnd();
    c.seek(static_cast<size_t>(start));
    while (!c.failed() && c.position() < walkEnd_) {
        size_t chunkStart = c.position();
        c.setContext("FORM");
        if (walkEnd_ - chunkStart < kChunkHeaderSize) {
            c.fail(describe("%lld bytes left before the form end, a chunk header needs %lld",
                            static_cast<long long>(walkEnd_ - chunkStart), kChunkHeaderSize));
            break;
        }
        currentChunkId = c.readId4();
        currentChunkKind = classifyChunk(currentChunkId);
        c.setContext(currentChunkId);
        int32_t lengthOffset = static_cast<int32_t>(c.position());
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
            case LwoChunkKind::Unknown: {
                ChunkScope skipped(*this, lengthOffset);
                break;
            }
        }
    }
    return c.failed();
}

bool LwoReader::beginChunk(int32_t offset, size_t& end) {
    ByteCursor& c = cursor();
    c.resetEnd();
    c.seek(static_cast<size_t>(offset));
    uint32_t length = c.readU4();
    if (c.failed()) return false;
    size_t limit = walkEnd_ ? walkEnd_ : bytes.size();
    if (c.position() > limit || length > limit - c.position()) {
        c.failAt(static_cast<size_t>(offset) - 4,
                 describe("chunk length %lld runs past the end of the form (%lld bytes left)",
                          length, static_cast<long long>(c.position() > limit ? 0 : limit - c.position())));
        return false;
    }
    end = c.position() + length;
    c.setEnd(end);
    return true;
}

void LwoReader::endChunk(int32_t offset, size_t end) {
    ByteCursor& c = cursor();
    if (c.failed()) return;
    c.resetEnd();
    size_t limit = walkEnd_ ? walkEnd_ : bytes.size();
    size_t bodyLength = end - (static_cast<size_t>(offset) + 4);
    // IFF: a body of odd length is followed by a pad byte.
    bool padded = (bodyLength & 1) != 0 && end < limit;
    c.seek(padded ? end + 1 : end);
}

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

void LwoReader::readSurfaceSubChunk(LwoSurface& surface, size_t surfaceEnd) {
    ByteCursor& c = cursor_;
    c.setContext("SURF");
    if (!c.need(kSubChunkHeaderSize, "sub-chunk header")) return;
    std::string id = c.readId4();
    c.setContext("SURF " + id);
    size_t lengthAt = c.position();
    uint16_t length = c.readU2();
    size_t subEnd = c.position() + length;
    if (subEnd > surfaceEnd) {
        c.failAt(lengthAt, describe("sub-chunk length %lld runs past the surface end (%lld bytes left)",
                                    length, static_cast<long long>(surfaceEnd - c.position())));
        return;
    }
    if (id == "BLOK") {
        // The block's own sub-chunks follow and are read as surface sub-chunks: none of them
        // is one this reader keeps, but the flag says the surface carries a texture.
        surface.blockLength = static_cast<int16_t>(length);
        surface.hasBlock = true;
        return;
    }
    c.setEnd(subEnd);
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
    }
    if (c.failed()) return;
    c.setEnd(surfaceEnd);
    bool padded = (length & 1) != 0 && subEnd < surfaceEnd;
    c.seek(padded ? subEnd + 1 : subEnd);
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
