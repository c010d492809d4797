// A tiny LWO2 writer for the tests: builds chunk bodies byte by byte (big-endian, padded
// strings, two- and four-byte VX) and wraps them in a FORM. Deliberately dumb: tests use it to
// write both well-formed files and every kind of damaged one.
#pragma once

#include "lwo/vec3.h"

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace lwotest {

struct Bytes {
    std::vector<uint8_t> data;

    Bytes& u1(uint32_t v) {
        data.push_back(static_cast<uint8_t>(v));
        return *this;
    }
    Bytes& u2(uint32_t v) { return u1(v >> 8).u1(v); }
    Bytes& u4(uint32_t v) { return u2(v >> 16).u2(v); }
    Bytes& f4(float f) {
        uint32_t bits;
        std::memcpy(&bits, &f, 4);
        return u4(bits);
    }
    Bytes& id(const char* four) {
        for (int i = 0; i < 4; ++i) u1(static_cast<uint8_t>(four[i]));
        return *this;
    }
    // S0: the text, a zero, and a pad byte when that makes an odd count.
    Bytes& s0(const std::string& text) {
        for (char c : text) u1(static_cast<uint8_t>(c));
        u1(0);
        if ((text.size() + 1) % 2) u1(0);
        return *this;
    }
    // VX in its short form when it fits, else the four-byte form.
    Bytes& vx(uint32_t index) { return index < 0xFF00 ? u2(index) : vx4(index); }
    Bytes& vx4(uint32_t index) { return u1(0xFF).u1(index >> 16).u1(index >> 8).u1(index); }
    Bytes& vec(const Vec3& p) { return f4(p.x).f4(p.y).f4(p.z); }
    Bytes& raw(const Bytes& other) {
        data.insert(data.end(), other.data.begin(), other.data.end());
        return *this;
    }
    size_t size() const { return data.size(); }
};

// A surface sub-chunk: ID, U2 length, body, pad byte when odd.
inline Bytes subChunk(const char* id, const Bytes& body) {
    Bytes b;
    b.id(id).u2(static_cast<uint32_t>(body.size())).raw(body);
    if (body.size() % 2) b.u1(0);
    return b;
}

class LwoWriter {
public:
    // A chunk: ID, U4 length, body, pad byte when odd.
    LwoWriter& chunk(const char* id, const Bytes& body) {
        chunks_.id(id).u4(static_cast<uint32_t>(body.size())).raw(body);
        if (body.size() % 2) chunks_.u1(0);
        return *this;
    }
    LwoWriter& rawBytes(const Bytes& bytes) {
        chunks_.raw(bytes);
        return *this;
    }

    LwoWriter& tags(std::initializer_list<std::string> names) {
        Bytes b;
        for (const std::string& n : names) b.s0(n);
        return chunk("TAGS", b);
    }
    LwoWriter& layer(uint16_t number, const std::string& name, int parent = -1,
                     Vec3 pivot = Vec3{}) {
        Bytes b;
        b.u2(number).u2(0).vec(pivot).s0(name);
        if (parent >= 0) b.u2(static_cast<uint32_t>(parent));
        return chunk("LAYR", b);
    }
    LwoWriter& points(const std::vector<Vec3>& pts) {
        Bytes b;
        for (const Vec3& p : pts) b.vec(p);
        return chunk("PNTS", b);
    }
    LwoWriter& polygons(const char* type, const std::vector<std::vector<uint32_t>>& polys) {
        Bytes b;
        b.id(type);
        for (const auto& poly : polys) {
            b.u2(static_cast<uint32_t>(poly.size()));
            for (uint32_t i : poly) b.vx(i);
        }
        return chunk("POLS", b);
    }
    LwoWriter& polygonTags(const char* type, const std::vector<std::pair<uint32_t, uint16_t>>& pairs) {
        Bytes b;
        b.id(type);
        for (const auto& [polygon, tag] : pairs) b.vx(polygon).u2(tag);
        return chunk("PTAG", b);
    }
    LwoWriter& surface(const std::string& name, const Bytes& subChunks) {
        Bytes b;
        b.s0(name).s0("").raw(subChunks);
        return chunk("SURF", b);
    }
    struct MapEntry {
        uint32_t vertex;
        uint32_t polygon;  // VMAD only
        std::vector<float> values;
    };
    LwoWriter& vertexMap(const char* chunkId, const char* type, const std::string& name,
                         uint16_t dimension, const std::vector<MapEntry>& entries) {
        const bool perPolygon = std::strcmp(chunkId, "VMAD") == 0;
        Bytes b;
        b.id(type).u2(dimension).s0(name);
        for (const MapEntry& e : entries) {
            b.vx(e.vertex);
            if (perPolygon) b.vx(e.polygon);
            for (float v : e.values) b.f4(v);
        }
        return chunk(chunkId, b);
    }
    LwoWriter& clip(uint32_t index, const char* subId, const std::string& fileName) {
        Bytes still;
        still.s0(fileName);
        Bytes b;
        b.u4(index).raw(subChunk(subId, still));
        return chunk("CLIP", b);
    }

    const Bytes& chunks() const { return chunks_; }

    // FORM, its length, "LWO2" (or another form type) and the chunks.
    std::vector<uint8_t> file(const char* formType = "LWO2") const {
        Bytes b;
        b.id("FORM").u4(static_cast<uint32_t>(chunks_.size() + 4)).id(formType).raw(chunks_);
        return b.data;
    }

private:
    Bytes chunks_;
};

inline void setFormLength(std::vector<uint8_t>& file, uint32_t length) {
    for (int i = 0; i < 4; ++i) file[4 + i] = static_cast<uint8_t>(length >> (24 - 8 * i));
}

inline Bytes colr(float r, float g, float b) {
    Bytes body;
    body.f4(r).f4(g).f4(b).vx(0);
    return subChunk("COLR", body);
}

inline Bytes floatSub(const char* id, float value) {
    Bytes body;
    body.f4(value).vx(0);
    return subChunk(id, body);
}

// One layer, one triangle per three points, one surface: the shape of the shipped objects.
inline LwoWriter triangleObject(const std::string& surfaceName, float r, float g, float b,
                                int triangles, bool transparent = false) {
    LwoWriter w;
    std::vector<Vec3> pts;
    std::vector<std::vector<uint32_t>> polys;
    std::vector<std::pair<uint32_t, uint16_t>> tags;
    for (int t = 0; t < triangles; ++t) {
        float x = static_cast<float>(t);
        pts.push_back({x, 0, 0});
        pts.push_back({x, 1, 0});
        pts.push_back({x + 1, 0, 0});
        uint32_t base = static_cast<uint32_t>(3 * t);
        polys.push_back({base, base + 1, base + 2});
        tags.push_back({static_cast<uint32_t>(t), 0});
    }
    Bytes subs = colr(r, g, b);
    subs.raw(floatSub("DIFF", 1.0f)).raw(floatSub("SPEC", 0.2f));
    if (transparent) subs.raw(floatSub("TRAN", 0.2f));
    w.tags({surfaceName}).layer(0, "Layer").points(pts).polygons("FACE", polys);
    w.polygonTags("SURF", tags).surface(surfaceName, subs);
    return w;
}

}  // namespace lwotest
