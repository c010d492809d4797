#include "lwo/lwob_importer.h"

#include "lwo/iff_chunks.h"
#include "lwo/lwo2_chunks.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

using iff::describe;

constexpr int32_t kMaxCorners = 1023;     // what the mesh model holds per polygon
constexpr float kFixedPointOne = 256.0f;  // LWOB's I2 percentages: 256 is 100 %
constexpr uint16_t kDoubleSidedFlag = 0x100;  // FLAG bit 8

// The records an LWOB object's polygons go to: one layer, made before the first points.
void ensureLayer(LwoRecords& records) {
    if (!records.layers.empty()) return;
    records.layers.push_back(LwoLayer{});
    records.layerCount = 1;
}

void readSurfaceNames(LwoRecords& records, ByteCursor& c, const iff::Body& body) {
    records.tagList.chunkLength = static_cast<int32_t>(body.length());
    while (!c.atEnd()) records.tagList.tags.push_back(c.readPaddedString());
}

// One polygon: U2 corner count, U2 points, I2 surface (1-based; negative: detail polygons
// follow, their count in a U2, and they are read as ordinary polygons after it).
void readPolygon(ByteCursor& c, long long pointCount, LwoPolygonSet& set, LwoPolygonTags& tags) {
    const size_t at = c.position();
    const uint16_t corners = c.readU2();
    if (!c.failed() && corners > kMaxCorners) {
        c.failAt(at, describe("polygon with %lld corners, at most %lld", corners, kMaxCorners));
        return;
    }
    // One check for the whole polygon: its points and its surface are then read unchecked.
    if (!c.need(size_t(corners) * 2 + 2, "polygon")) return;
    for (uint16_t k = 0; k < corners; ++k) {
        const size_t pointAt = c.position();
        const int32_t point = c.takeCheckedU2();
        if (point >= pointCount) {
            c.failAt(pointAt, describe("point %lld >= %lld points", point, pointCount));
            return;
        }
        set.indices.push_back(point);
    }
    int32_t surface = static_cast<int16_t>(c.takeCheckedU2());
    if (surface < 0) {
        surface = -surface;
        c.readU2();  // how many detail polygons follow: they are read one by one anyway
    }
    tags.polygonIndices.push_back(static_cast<int32_t>(set.cornerCounts.size()));
    tags.tags.push_back(static_cast<uint16_t>(surface - 1));  // no surface 0: out of range, skipped
    set.cornerCounts.push_back(static_cast<int16_t>(corners));
}

void readPolygons(LwoRecords& records, ByteCursor& c, const iff::Body& body) {
    ensureLayer(records);
    LwoPolygonSet set = records.newPolygonSet("FACE", static_cast<int32_t>(body.headerStart),
                                             static_cast<int32_t>(body.length()));
    LwoPolygonTags tags;
    tags.chunkLength = set.chunkLength;
    tags.chunkOffset = set.chunkOffset;
    tags.type = "SURF";
    const long long pointCount = static_cast<long long>(records.latestPointCount());
    while (!c.atEnd()) readPolygon(c, pointCount, set, tags);
    set.fileCount = static_cast<int32_t>(set.cornerCounts.size());
    records.polygonSets.push_back(std::move(set));
    tags.polygonSetIndex = static_cast<int32_t>(records.polygonSets.size()) - 1;
    records.polygonTagSets.push_back(std::move(tags));
}

// Curves and patches: counted, not kept. Each is a corner count, U2 points and an I2 surface.
void countPolygons(LwoRecords& records, const std::string& type, ByteCursor& c, const iff::Body& body) {
    ensureLayer(records);
    LwoPolygonSet set =
        records.newPolygonSet(type, static_cast<int32_t>(body.headerStart), static_cast<int32_t>(body.length()));
    ByteCursor list = c;  // a damaged list ends the count, not the read
    while (!list.atEnd()) {
        const uint16_t corners = list.readU2();
        list.skip(size_t(corners) * 2);
        if (static_cast<int16_t>(list.readU2()) < 0) list.readU2();
        if (list.failed()) break;
        ++set.fileCount;
    }
    records.polygonSets.push_back(std::move(set));
}

float readFixedPoint(ByteCursor& c) { return static_cast<int16_t>(c.readU2()) / kFixedPointOne; }

bool startsTexture(const std::string& id) {
    static const char* const kIds[] = {"CTEX", "DTEX", "STEX", "RTEX", "TTEX", "LTEX", "BTEX"};
    for (const char* texture : kIds)
        if (id == texture) return true;
    return false;
}

// A T* sub-chunk of the latest texture; false when it is not one this reader keeps.
bool readTextureField(const std::string& id, ByteCursor& c, LwoLegacyTexture& t) {
    if (id == "TIMG")
        t.image = c.readPaddedString();
    else if (id == "TFLG")
        t.flags = c.readU2();
    else if (id == "TSIZ")
        t.size = c.readVec12();
    else if (id == "TCTR")
        t.centre = c.readVec12();
    else if (id == "TWRP") {
        t.wrapWidth = c.readU2();
        t.wrapHeight = c.readU2();
    } else if (id == "TFP0")
        t.wrapCountWidth = c.readF4();
    else if (id == "TFP1")
        t.wrapCountHeight = c.readF4();
    else
        return false;
    return true;
}

// LWOB gives the highlight's exponent (16, 64, 256, 1024 for low to very high); later formats a
// glossiness g whose exponent is 2^(10 g + 2).
float glossinessOfExponent(uint16_t exponent) {
    if (exponent < 1) return 0.0f;
    return std::clamp((std::log2(float(exponent)) - 2.0f) / 10.0f, 0.0f, 1.0f);
}

void readSurfaceField(const std::string& id, ByteCursor& c, LwoSurface& s) {
    if (id == "COLR") {
        for (float& component : s.colour) component = c.readU1() / 255.0f;
    } else if (id == "FLAG") {
        s.flags = c.readU2();
        s.doubleSided = (s.flags & kDoubleSidedFlag) != 0;
    } else if (id == "DIFF" || id == "VDIF") {
        s.diffuse = id == "DIFF" ? readFixedPoint(c) : c.readF4();
        s.hasDiffuse = true;
    } else if (id == "SPEC" || id == "VSPC") {
        s.specular = id == "SPEC" ? readFixedPoint(c) : c.readF4();
    } else if (id == "GLOS") {
        s.glossiness = glossinessOfExponent(c.readU2());
    } else if (id == "SMAN") {
        s.smoothingAngle = c.readF4();
    } else if (id == "TRAN" || id == "VTRN") {
        // Modeler writes TRAN 0 into every surface: only a value makes the surface see-through
        // (and drawn blended).
        s.transparency = id == "TRAN" ? readFixedPoint(c) : c.readF4();
        s.hasTransparency = s.transparency > 0.0f;
    } else if (id == "LUMI" || id == "VLUM") {
        s.luminosity = id == "LUMI" ? readFixedPoint(c) : c.readF4();
    } else if (startsTexture(id)) {
        LwoLegacyTexture texture;
        texture.channel = id;
        texture.type = c.readPaddedString();
        s.legacyTextures.push_back(std::move(texture));
    } else if (id[0] == 'T' && !s.legacyTextures.empty()) {
        readTextureField(id, c, s.legacyTextures.back());
    }
}

bool namesImage(const std::string& image) { return !image.empty() && image != "(none)"; }

void readSurface(LwoRecords& records, ByteCursor& c, const iff::Body& body) {
    LwoSurface surface;
    surface.chunkLength = static_cast<int32_t>(body.length());
    surface.name = c.readPaddedString();
    iff::walkSubChunks(c, "SURF", "SURF", iff::kSubChunkRule, [&](const std::string& id, const iff::Body&) {
        readSurfaceField(id, c, surface);
        return false;
    });
    for (const LwoLegacyTexture& texture : surface.legacyTextures) {
        if (texture.channel == "CTEX" && namesImage(texture.image)) {
            surface.imageName = texture.image;
            break;
        }
    }
    c.setContext("SURF");
    records.surfaces.push_back(std::move(surface));
}

void readChunk(LwoImport& in, const std::string& id, const iff::Body& body) {
    LwoRecords& r = in.records;
    ByteCursor& c = in.cursor;
    if (id == "PNTS") {
        ensureLayer(r);
        lwo2::readPoints(in, body);
    } else if (id == "SRFS") {
        readSurfaceNames(r, c, body);
    } else if (id == "POLS") {
        readPolygons(r, c, body);
    } else if (id == "CRVS") {
        countPolygons(r, "CURV", c, body);
    } else if (id == "PCHS") {
        countPolygons(r, "PTCH", c, body);
    } else if (id == "SURF") {
        readSurface(r, c, body);
    }
}

}  // namespace

void importLwob(LwoImport& in) {
    iff::walkFormChunks(in.cursor, in.formEnd, in.chunkId,
                        [&](const std::string& id, const iff::Body& body) { readChunk(in, id, body); });
}
