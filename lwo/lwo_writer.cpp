#include "lwo/lwo_writer.h"

#include <cstring>

namespace {

// From here up a VX index needs its four-byte form.
constexpr uint32_t kFirstLongIndex = 0xFF00;

}  // namespace

LwoBytes& LwoBytes::u1(uint32_t value) {
    data.push_back(static_cast<uint8_t>(value));
    return *this;
}

LwoBytes& LwoBytes::u2(uint32_t value) { return u1(value >> 8).u1(value); }

LwoBytes& LwoBytes::u4(uint32_t value) { return u2(value >> 16).u2(value); }

LwoBytes& LwoBytes::f4(float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return u4(bits);
}

LwoBytes& LwoBytes::id(const char* four) {
    for (int i = 0; i < 4; ++i) u1(static_cast<uint8_t>(four[i]));
    return *this;
}

LwoBytes& LwoBytes::s0(const std::string& text) {
    for (char c : text) u1(static_cast<uint8_t>(c));
    u1(0);
    if ((text.size() + 1) % 2) u1(0);
    return *this;
}

LwoBytes& LwoBytes::vx(uint32_t index) { return index < kFirstLongIndex ? u2(index) : vx4(index); }

LwoBytes& LwoBytes::vx4(uint32_t index) { return u1(0xFF).u1(index >> 16).u1(index >> 8).u1(index); }

LwoBytes& LwoBytes::vec(const Vec3& p) { return f4(p.x).f4(p.y).f4(p.z); }

LwoBytes& LwoBytes::raw(const LwoBytes& other) {
    data.insert(data.end(), other.data.begin(), other.data.end());
    return *this;
}

LwoBytes lwoSubChunk(const char* id, const LwoBytes& body) {
    LwoBytes b;
    b.id(id).u2(static_cast<uint32_t>(body.size())).raw(body);
    if (body.size() % 2) b.u1(0);
    return b;
}

LwoWriter& LwoWriter::chunk(const char* id, const LwoBytes& body) {
    chunks_.id(id).u4(static_cast<uint32_t>(body.size())).raw(body);
    if (body.size() % 2) chunks_.u1(0);
    return *this;
}

LwoWriter& LwoWriter::rawBytes(const LwoBytes& bytes) {
    chunks_.raw(bytes);
    return *this;
}

LwoWriter& LwoWriter::tags(std::initializer_list<std::string> names) {
    LwoBytes b;
    for (const std::string& name : names) b.s0(name);
    return chunk("TAGS", b);
}

LwoWriter& LwoWriter::layer(uint16_t number, const std::string& name, int parent, Vec3 pivot) {
    LwoBytes b;
    b.u2(number).u2(0).vec(pivot).s0(name);
    if (parent >= 0) b.u2(static_cast<uint32_t>(parent));
    return chunk("LAYR", b);
}

LwoWriter& LwoWriter::points(const std::vector<Vec3>& points) {
    LwoBytes b;
    b.data.reserve(12 * points.size());
    for (const Vec3& p : points) b.vec(p);
    return chunk("PNTS", b);
}

LwoWriter& LwoWriter::polygons(const char* type, const std::vector<std::vector<uint32_t>>& polygons) {
    LwoBytes b;
    b.id(type);
    for (const std::vector<uint32_t>& polygon : polygons) {
        b.u2(static_cast<uint32_t>(polygon.size()));
        for (uint32_t index : polygon) b.vx(index);
    }
    return chunk("POLS", b);
}

LwoWriter& LwoWriter::polygonTags(const char* type,
                                  const std::vector<std::pair<uint32_t, uint16_t>>& pairs) {
    LwoBytes b;
    b.id(type);
    for (const auto& [polygon, tag] : pairs) b.vx(polygon).u2(tag);
    return chunk("PTAG", b);
}

LwoWriter& LwoWriter::surface(const std::string& name, const LwoBytes& subChunks) {
    LwoBytes b;
    b.s0(name).s0("").raw(subChunks);
    return chunk("SURF", b);
}

LwoWriter& LwoWriter::vertexMap(const char* chunkId, const char* type, const std::string& name,
                                uint16_t dimension, const std::vector<MapEntry>& entries) {
    const bool perPolygon = std::strcmp(chunkId, "VMAD") == 0;
    LwoBytes b;
    b.id(type).u2(dimension).s0(name);
    for (const MapEntry& entry : entries) {
        b.vx(entry.vertex);
        if (perPolygon) b.vx(entry.polygon);
        for (float value : entry.values) b.f4(value);
    }
    return chunk(chunkId, b);
}

LwoWriter& LwoWriter::clip(uint32_t index, const char* subId, const std::string& fileName) {
    LwoBytes still;
    still.s0(fileName);
    LwoBytes b;
    b.u4(index).raw(lwoSubChunk(subId, still));
    return chunk("CLIP", b);
}

std::vector<uint8_t> LwoWriter::file(const char* formType) const {
    LwoBytes b;
    b.id("FORM").u4(static_cast<uint32_t>(chunks_.size() + 4)).id(formType).raw(chunks_);
    return b.data;
}
