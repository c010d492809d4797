// The mesh model: drawable polygons built from a parsed LWO2 file.
//
// Building resolves point numbers to positions (all three coordinates negated, which turns the
// file's left-handed axes into the engine's), attaches TXUV coordinates (v flipped to 1 - v:
// texture row 0 is the picture's top) and later copies surface colours and texture flags.
// Polygons of a surface whose picture is mapped by projection (an image block, or an LWOB colour
// texture, projecting planar, cylindrical, spherical or cubic) that no UV map reaches get their
// uvs from that projection (lwo/projection_uv.h), flipped the same way, so they draw as UV-mapped
// ones do.
// Vertex-map look-ups go through per-map indexes (point -> first entry), so building is linear
// in the number of corners and map entries. Colours are 0-1 floats.
#pragma once

#include "lwo/lwo_reader.h"
#include "lwo/span.h"
#include "lwo/vec3.h"

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

// One UV entry of a corner; the third value is carried but nothing reads it.
struct MeshUv {
    float u = 0.0f;
    float v = 0.0f;
    float unused = 0.0f;
};

// A polygon as the mesh's users see it. Its positions and uvs are views into the whole mesh's
// arrays (MeshPolygons), valid while the mesh is neither changed nor destroyed.
struct MeshPolygon {
    Span<Vec3> positions;  // one per corner, negated file coordinates
    int32_t cornerCount = 0;  // 0-1023
    // Entry j belongs to corner j when exactly one map covers every corner; shorter when a map
    // lacks a corner, longer when several maps cover one.
    Span<MeshUv> uvs;
    bool textured = false;  // its surface draws textured (drawsTextured)
    int32_t layer = 0;  // LAYR chunks read before its POLS chunk
    LwoColour colour = {1.0f, 1.0f, 1.0f};  // white until a surface says otherwise

    // Corner j is drawn with texture coordinates: the surface is textured and a uv is there.
    bool cornerTextured(size_t j) const { return textured && j < uvs.size(); }
};

// The polygon list. Every polygon's corner positions sit in one array for the whole mesh, and
// its uvs in another, each polygon knowing where its own start: a mesh of a million polygons is
// a few allocations, not two million, and is walked in the order it is stored.
class MeshPolygons {
public:
    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = MeshPolygon;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = MeshPolygon;
        const_iterator(const MeshPolygons* mesh, size_t i) : mesh_(mesh), i_(i) {}
        MeshPolygon operator*() const { return (*mesh_)[i_]; }
        const_iterator& operator++() { ++i_; return *this; }
        bool operator==(const const_iterator& o) const { return i_ == o.i_; }
        bool operator!=(const const_iterator& o) const { return i_ != o.i_; }

    private:
        const MeshPolygons* mesh_;
        size_t i_;
    };

    size_t size() const { return records_.size(); }
    bool empty() const { return records_.empty(); }
    MeshPolygon operator[](size_t i) const;
    MeshPolygon at(size_t i) const;  // throws std::out_of_range past the end
    MeshPolygon front() const { return (*this)[0]; }
    MeshPolygon back() const { return (*this)[size() - 1]; }
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size()}; }
    // Every corner position of every polygon, polygon by polygon.
    const std::vector<Vec3>& allPositions() const { return positions_; }

    void clear();
    // Room for this many more polygons, corners and uvs.
    void reserve(size_t polygons, size_t corners, size_t uvs);
    // Starts a polygon: the positions and uvs appended next are its own, until endPolygon.
    void startPolygon(int32_t layer, int32_t cornerCount) {
        // Filled where it lies: a record put together aside and copied in stalls on reading
        // back the narrow stores that made it.
        Record& r = records_.emplace_back();
        r.firstPosition = static_cast<uint32_t>(positions_.size());
        r.firstUv = static_cast<uint32_t>(uvs_.size());
        r.cornerCount = static_cast<int16_t>(cornerCount);
        r.layer = static_cast<int16_t>(layer);
    }
    void addPosition(const Vec3& p) { positions_.push_back(p); }
    // Room for `count` more positions, written through the pointer (valid until positions are
    // added again), for polygons added after with addPolygonOver.
    Vec3* addPositions(size_t count) {
        positions_.resize(positions_.size() + count);
        return positions_.data() + positions_.size() - count;
    }
    // A polygon without uvs over `positionCount` positions already added, from `firstPosition`.
    void addPolygonOver(int32_t layer, int32_t cornerCount, size_t firstPosition, size_t positionCount) {
        Record& r = records_.emplace_back();
        r.firstPosition = static_cast<uint32_t>(firstPosition);
        r.firstUv = static_cast<uint32_t>(uvs_.size());
        r.positionCount = static_cast<uint16_t>(positionCount);
        r.cornerCount = static_cast<int16_t>(cornerCount);
        r.layer = static_cast<int16_t>(layer);
    }
    void addUv(const MeshUv& uv) { uvs_.push_back(uv); }
    // The polygon started last takes what was added since.
    void endPolygon() {
        Record& r = records_.back();
        r.positionCount = static_cast<uint16_t>(positions_.size() - r.firstPosition);
        r.uvCount = static_cast<uint16_t>(uvs_.size() - r.firstUv);
    }
    // Drops the polygons from `count` on, with their corners.
    void truncate(size_t count);
    // A copy of `polygon`, corners and all (up to 1023 corners and 65535 uvs): for meshes made by
    // hand.
    void add(const MeshPolygon& polygon);

    // Gives polygon i the uvs (it had none), stored after everything built before.
    void setUvs(size_t i, Span<MeshUv> uvs);
    // Colours are kept once each in a list of their own, and a polygon names its colour there:
    // the colours of a mesh are its surfaces', a few for any number of polygons.
    uint32_t addColour(const LwoColour& colour) {
        colours_.push_back(colour);
        return static_cast<uint32_t>(colours_.size() - 1);
    }
    void setColourIndex(size_t i, uint32_t colour) { records_[i].colour = colour; }
    void setColour(size_t i, const LwoColour& colour) { setColourIndex(i, addColour(colour)); }
    void setTextured(size_t i, bool textured) { records_[i].textured = textured; }

private:
    // 24 bytes: a polygon's record is most of what a mesh of quads holds beyond its corners.
    struct Record {
        uint32_t firstPosition = 0;  // below kMaxMeshCorners
        uint32_t firstUv = 0;
        uint32_t colour = 0;  // into colours_; 0 is white
        uint16_t positionCount = 0;  // at most the corner count
        uint16_t uvCount = 0;  // at most kMaxUvEntriesPerCorner per corner
        int16_t cornerCount = 0;  // as the file's (int16) count
        int16_t layer = 0;  // as the file's (int16) layer count
        bool textured = false;
    };
    std::vector<Record> records_;
    std::vector<LwoColour> colours_{LwoColour{1.0f, 1.0f, 1.0f}};
    std::vector<Vec3> positions_;
    std::vector<MeshUv> uvs_;
};

// More UV entries than this on one corner (one per covering map) fail the build: no real object
// layers that many maps on a point, and it bounds the memory a small file can ask for.
constexpr size_t kMaxUvEntriesPerCorner = 8;

// Corners one mesh may hold, so that a polygon's offsets into the whole-mesh arrays fit in 32 bits
// with its uvs (up to kMaxUvEntriesPerCorner per corner, and projected ones) beside them. One
// build of the largest object file read has at most half as many; building again onto the same
// mesh past this fails.
constexpr size_t kMaxMeshCorners = size_t(1) << 28;

// Where each polygon set's polygons start in the polygon list, per set (one build).
using PolygonSetStarts = std::vector<int32_t>;

// Appends a polygon for every polygon of every set. uvMap < 0 uses every TXUV map; otherwise
// only map number uvMap and the per-polygon maps of the same name; then projected uvs where no
// map gave any. True on failure (an index out of range), with the located reason in *error.
[[nodiscard]] bool buildMeshPolygons(const LwoReader& reader, int uvMap,
                                     MeshPolygons& polygons, PolygonSetStarts& setStarts,
                                     std::string* error);

// The surface (index into reader.surfaces) each polygon takes, by its last SURF tag; -1 where
// no tag names a surface.
[[nodiscard]] std::vector<int32_t> polygonSurfaceIndices(const LwoReader& reader,
                                                         const PolygonSetStarts& setStarts,
                                                         size_t polygonCount);

// A surface draws textured when it has a texture block (LWO2 sets hasBlock for any BLOK) or
// names its picture itself (LWOB's colour texture, LWO3's material or colour block), so objects
// of every format take the same drawing path.
bool drawsTextured(const LwoSurface& surface);

// Gives every polygon reached by a SURF polygon tag its surface's colour (or `colour` when
// given) and sets `textured` when the surface draws textured. Surfaces are found by the tag's
// name. Returns the number of polygon tag sets.
int applySurfaceColours(const LwoReader& reader, const PolygonSetStarts& setStarts,
                        MeshPolygons& polygons, const LwoColour* colour = nullptr);
