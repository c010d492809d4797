#include "tools/make_objects_lwo.h"

#include "lwo/lwo_writer.h"

#include <stdexcept>
#include <utility>

namespace makeobjects {
namespace {

// Indices from 0xFF00 up need the four-byte VX form; the budget below assumes two bytes.
constexpr std::size_t kMaxTwoByteIndex = 0xFF00;

bool hasEnvelope(const std::string& id) { return id != "SMAN"; }

std::size_t paddedStringSize(const std::string& s) { return s.size() + 1 + (s.size() % 2 == 0 ? 1 : 0); }

void checkModel(const ObjectModel& model) {
    if (model.points.size() >= kMaxTwoByteIndex)
        throw std::invalid_argument(model.layerName + ": too many points for two-byte indices");
    if (model.triangles.size() >= kMaxTwoByteIndex)
        throw std::invalid_argument(model.layerName + ": too many triangles for two-byte indices");
    for (const auto& t : model.triangles)
        for (std::uint32_t i : t)
            if (i >= model.points.size())
                throw std::invalid_argument(model.layerName + ": corner index " + std::to_string(i) +
                                            " >= " + std::to_string(model.points.size()) + " points");
    for (const auto& a : model.surfaceAttributes)
        if (a.id.size() != 4) throw std::invalid_argument("surface attribute id must have 4 characters: " + a.id);
}

LwoBytes surfaceAttributes(const ObjectModel& model) {
    LwoBytes subChunks;
    for (const auto& a : model.surfaceAttributes) {
        LwoBytes body;
        for (float v : a.values) body.f4(v);
        if (hasEnvelope(a.id)) body.vx(0);
        subChunks.raw(lwoSubChunk(a.id.c_str(), body));
    }
    return subChunks;
}

}  // namespace

std::vector<std::uint8_t> encodeLwo2(const ObjectModel& model) {
    checkModel(model);
    std::vector<std::vector<std::uint32_t>> polygons;
    std::vector<std::pair<std::uint32_t, std::uint16_t>> surfaceTags;  // every triangle: tag 0
    for (const auto& t : model.triangles) {
        surfaceTags.push_back({static_cast<std::uint32_t>(polygons.size()), 0});
        polygons.push_back({t[0], t[1], t[2]});
    }
    LwoWriter out;
    out.tags({model.surfaceName}).layer(0, model.layerName).points(model.points);
    out.polygons("FACE", polygons).polygonTags("SURF", surfaceTags);
    out.surface(model.surfaceName, surfaceAttributes(model));
    return out.file();
}

// The budget, chunk by chunk (every chunk has an 8-byte ID + length header; every body here
// has even length, so no pad bytes appear):
//   FORM header and "LWO2"                      12
//   TAGS  the surface name as S0                8 + S0(surface)
//   LAYR  number 2, flags 2, pivot 12, name S0  8 + 16 + S0(layer)
//   PNTS  12 per point                          8 + 12 n
//   POLS  "FACE", then per triangle U2 + 3 VX   8 + 4 + 8 t
//   PTAG  "SURF", then per triangle VX + U2     8 + 4 + 4 t
//   SURF  name S0, empty source S0 (2), and per sub-chunk 6 + 4 per value + 2 for the envelope
// Tube01:     12 + 16 + 32 + 11528 + 15372 + 7692 + (8 + 8 + 2 + 90)  = 34760
// Torus Knot: 12 + 20 + 36 + 19880 + 26316 + 13164 + (8 + 12 + 2 + 102) = 59552
std::size_t lwo2FileSize(const ObjectModel& model) {
    std::size_t surface = 8 + paddedStringSize(model.surfaceName) + 2;
    for (const auto& a : model.surfaceAttributes) surface += 6 + 4 * a.values.size() + (hasEnvelope(a.id) ? 2 : 0);
    return 12 + (8 + paddedStringSize(model.surfaceName)) + (8 + 16 + paddedStringSize(model.layerName)) +
           (8 + 12 * model.points.size()) + (12 + 8 * model.triangles.size()) +
           (12 + 4 * model.triangles.size()) + surface;
}

}  // namespace makeobjects
