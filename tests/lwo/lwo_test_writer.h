// The tests' view of the shared LWO2 writer, and the few pieces they build files from: surface
// attributes, a patched FORM length, and an object shaped like the shipped ones.
#pragma once

#include "lwo/lwo_writer.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace lwotest {

using Bytes = LwoBytes;
using ::LwoWriter;
inline constexpr auto& subChunk = lwoSubChunk;

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
