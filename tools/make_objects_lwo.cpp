#include "tools/make_objects_lwo.h"

#include <cstring>
#include <stdexcept>

namespace makeobjects {
namespace {

// Indices from 0xFF00 up need the four-byte VX form; the budget below assumes two bytes.
constexpr std::size_t kMaxTwoByteIndex = 0xFF00;

class BigEndianBuffer {
public:
    void u1(std::uint8_t v) { bytes_.push_back(v); }
    void u2(std::uint16_t v) {
        u1(static_cast<std::uint8_t>(v >> 8));
        u1(static_cast<std::uint8_t>(v));
    }
    void u4(std::uint32_t v) {
        u2(static_cast<std::uint16_t>(v >> 16));
        u2(static_cast<std::uint16_t>(v));
    }
    void f4(float v) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &v, sizeof bits);
        u4(bits);
    }
    void id4(const char* id) {
        for (int i = 0; i < 4; ++i) u1(static_cast<std::uint8_t>(id[i]));
    }
    // S0: the characters, a terminator, and a pad byte when that makes an odd count.
    void paddedString(const std::string& s) {
        for (char c : s) u1(static_cast<std::uint8_t>(c));
        u1(0);
        if (s.size() % 2 == 0) u1(0);
    }
    void vx(std::uint32_t index) { u2(static_cast<std::uint16_t>(index)); }

    // Opens a chunk whose length field (4 or 2 bytes) is filled in by closeChunk.
    std::size_t openChunk(const char* id, int lengthBytes) {
        id4(id);
        std::size_t at = bytes_.size();
        for (int i = 0; i < lengthBytes; ++i) u1(0);
        return at;
    }
    void closeChunk(std::size_t lengthAt, int lengthBytes) {
        std::size_t length = bytes_.size() - lengthAt - lengthBytes;
        for (int i = 0; i < lengthBytes; ++i) {
            int shift = 8 * (lengthBytes - 1 - i);
            bytes_[lengthAt + i] = static_cast<std::uint8_t>(length >> shift);
        }
        if (length % 2 != 0) u1(0);  // IFF pad byte, not counted in the length
    }

    std::vector<std::uint8_t>& bytes() { return bytes_; }

private:
    std::vector<std::uint8_t> bytes_;
};

bool hasEnvelope(const std::string& id) { return id != "SMAN"; }

std::size_t paddedStringSize(const std::string& s) { return s.size() + 1 + (s.size() % 2 == 0 ? 1 : 0); }

void checkModel(const ObjectModel& model) {
    if (model.points.size() >= kMaxTwoByteIndex)
        throw std::invalid_argument(model.layerName + ": too many points for two-byte indices");
    for (const auto& t : model.triangles)
        for (std::uint32_t i : t)
            if (i >= model.points.size())
                throw std::invalid_argument(model.layerName + ": corner index " + std::to_string(i) +
                                            " >= " + std::to_string(model.points.size()) + " points");
    for (const auto& a : model.surfaceAttributes)
        if (a.id.size() != 4) throw std::invalid_argument("surface attribute id must have 4 characters: " + a.id);
}

void writeTags(BigEndianBuffer& out, const ObjectModel& model) {
    std::size_t at = out.openChunk("TAGS", 4);
    out.paddedString(model.surfaceName);
    out.closeChunk(at, 4);
}

void writeLayer(BigEndianBuffer& out, const ObjectModel& model) {
    std::size_t at = out.openChunk("LAYR", 4);
    out.u2(0);  // layer number
    out.u2(0);  // flags: visible
    for (int i = 0; i < 3; ++i) out.f4(0.0f);  // pivot
    out.paddedString(model.layerName);
    out.closeChunk(at, 4);
}

void writePoints(BigEndianBuffer& out, const ObjectModel& model) {
    std::size_t at = out.openChunk("PNTS", 4);
    for (const Vec3& p : model.points) {
        out.f4(p.x);
        out.f4(p.y);
        out.f4(p.z);
    }
    out.closeChunk(at, 4);
}

void writePolygons(BigEndianBuffer& out, const ObjectModel& model) {
    std::size_t at = out.openChunk("POLS", 4);
    out.id4("FACE");
    for (const auto& t : model.triangles) {
        out.u2(3);
        for (std::uint32_t i : t) out.vx(i);
    }
    out.closeChunk(at, 4);
}

void writePolygonTags(BigEndianBuffer& out, const ObjectModel& model) {
    std::size_t at = out.openChunk("PTAG", 4);
    out.id4("SURF");
    for (std::size_t i = 0; i < model.triangles.size(); ++i) {
        out.vx(static_cast<std::uint32_t>(i));
        out.u2(0);  // the one tag: the surface
    }
    out.closeChunk(at, 4);
}

void writeSurface(BigEndianBuffer& out, const ObjectModel& model) {
    std::size_t at = out.openChunk("SURF", 4);
    out.paddedString(model.surfaceName);
    out.paddedString("");  // no source surface
    for (const auto& a : model.surfaceAttributes) {
        std::size_t sub = out.openChunk(a.id.c_str(), 2);
        for (float v : a.values) out.f4(v);
        if (hasEnvelope(a.id)) out.vx(0);
        out.closeChunk(sub, 2);
    }
    out.closeChunk(at, 4);
}

}  // namespace

std::vector<std::uint8_t> encodeLwo2(const ObjectModel& model) {
    checkModel(model);
    BigEndianBuffer out;
    std::size_t form = out.openChunk("FORM", 4);
    out.id4("LWO2");
    writeTags(out, model);
    writeLayer(out, model);
    writePoints(out, model);
    writePolygons(out, model);
    writePolygonTags(out, model);
    writeSurface(out, model);
    out.closeChunk(form, 4);
    return std::move(out.bytes());
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
