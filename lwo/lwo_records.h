// The records every object importer fills (LWOB, LWO2 and LWO3 alike): tags, layers, points,
// polygons, polygon tags, surfaces, UV maps and still clips, as plain values. The mesh model,
// the drawing and the tools read these and nothing of the file's format.
//
// Records own their strings and arrays by value; nothing points into a file's bytes. Colours
// are 0-1 floats; coordinates are as stored in the file (the mesh model negates them). No GL
// here: a clip's texture name is a plain integer made by whatever loader the caller installs.
#pragma once

#include "lwo/byte_cursor.h"
#include "lwo/span.h"
#include "lwo/vec3.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Chunk kinds in the order the walk tests them; anything else is skipped by its length.
enum class LwoChunkKind {
    Tags = 0,
    Layer = 1,
    Points = 2,
    BoundingBox = 3,
    Polygons = 4,
    PolygonTags = 5,
    Surface = 6,
    VertexMap = 7,
    DiscVertexMap = 8,
    Clip = 9,
    Unknown = -1,
};
LwoChunkKind classifyChunk(const std::string& id);

// The object formats, by FORM type: LWO2 (LightWave 6 to 2015), LWO3 (2015 on, surfaces and
// clips as nested forms), LWOB (LightWave 5 and before). All of them read into the same records.
enum class LwoFormat { Lwo2, Lwo3, Lwob, Unknown };
LwoFormat classifyForm(const std::string& type);

// Vertex-map types; only TXUV maps are kept.
enum class LwoVertexMapKind {
    Pick = 0,
    Weight = 1,
    SubPatchWeight = 2,
    Uv = 3,
    Rgb = 4,
    Rgba = 5,
    Morph = 6,
    AbsoluteMorph = 7,
    Unknown = -1,
};
LwoVertexMapKind classifyVertexMap(const std::string& type);

using LwoColour = std::array<float, 3>;  // r, g, b in 0-1

struct LwoTagList {
    int32_t chunkLength = 0;  // of the last TAGS chunk
    std::vector<std::string> tags;  // every TAGS chunk appended, file order
};

struct LwoLayer {
    int32_t chunkLength = 0;
    uint16_t number = 0;
    uint16_t flags = 0;
    Vec3 pivot;
    std::string name;
    bool hasParent = false;  // the optional trailing parent index was present
    uint16_t parent = 0;
};

struct LwoPointSet {
    int32_t chunkLength = 0;
    std::vector<Vec3> points;  // file order: point number = position here
};

struct LwoPolygonSet {
    int32_t chunkLength = 0;
    std::string type;  // "FACE" sets carry polygons; other types are kept empty
    int32_t fileCount = 0;  // polygons the file holds in this set, of any type
    std::vector<int16_t> cornerCounts;  // one per polygon, 0-1023
    std::vector<int32_t> indices;  // point numbers of all polygons, one after another
    int16_t layerCount = 0;  // LAYR chunks read before this one
    int32_t pointSetIndex = -1;  // the PNTS chunk these indices refer to (the latest one)
    int32_t chunkOffset = 0;  // of the chunk ID, for messages
};

struct LwoPolygonTags {
    int32_t chunkLength = 0;
    std::string type;  // "SURF", "PART", "SMGP", ...
    std::vector<int32_t> polygonIndices;  // within polygonSetIndex's set
    std::vector<uint16_t> tags;  // tag-list numbers, pairwise with polygonIndices
    int32_t polygonSetIndex = -1;  // the POLS chunk these polygons belong to (the latest one)
    int32_t chunkOffset = 0;
};

// A texture of an LWOB surface, from a texture-starting sub-chunk (CTEX, DTEX, STEX, RTEX,
// TTEX, LTEX, BTEX) and the T* sub-chunks after it. Kept as the file says, for projection
// mapping; a sub-chunk this record has no field for is skipped. Fields default to what a
// texture without that sub-chunk means.
struct LwoLegacyTexture {
    std::string channel;  // the starting sub-chunk's ID: "CTEX" colour, "DTEX" diffuse, ...
    std::string type;  // its text: "Planar Image Map", "Cylindrical Image Map", ...
    std::string image;  // TIMG: the picture file, "(none)" or empty without one
    uint16_t flags = 0;  // TFLG: axis X 1, Y 2, Z 4; world coordinates 8; negative 16, ...
    Vec3 size{1.0f, 1.0f, 1.0f};  // TSIZ
    Vec3 centre;  // TCTR
    uint16_t wrapWidth = 1, wrapHeight = 1;  // TWRP: 0 black, 1 clamp, 2 repeat, 3 mirror
    float wrapCountWidth = 1.0f;  // TFP0 (cylindrical and spherical maps)
    float wrapCountHeight = 1.0f;  // TFP1 (spherical maps)
};

// An image-map block of a surface (LWO2: a BLOK whose header is IMAP), as the file says; read
// for projection mapping. Fields default to what a block without that sub-chunk means.
struct LwoImageBlock {
    int32_t offset = 0;  // of the BLOK sub-chunk's ID, for messages
    std::string ordinal;  // orders the blocks of one surface
    std::string channel;  // CHAN: "COLR" colour, "DIFF", "BUMP", ...
    bool enabled = true;  // ENAB
    int32_t projection = -1;  // PROJ: 0 planar, 1 cylindrical, 2 spherical, 3 cubic, 4 front, 5 UV; -1 none
    uint16_t axis = 0;  // AXIS: 0 X, 1 Y, 2 Z
    Vec3 centre;  // TMAP CNTR
    Vec3 size{1.0f, 1.0f, 1.0f};  // TMAP SIZE
    Vec3 rotation;  // TMAP ROTA: heading, pitch, bank in radians
    int32_t image = 0;  // IMAG: the CLIP's index, 0 for none
    uint16_t wrapWidth = 1, wrapHeight = 1;  // WRAP: 0 reset, 1 repeat, 2 mirror, 3 edge
    float wrapCountWidth = 1.0f, wrapCountHeight = 1.0f;  // WRPW, WRPH
    std::string uvMap;  // VMAP
    std::string problem;  // why the block could not be read whole, located; empty when it was
};

struct LwoSurface {
    int32_t chunkLength = 0;
    std::string name;
    std::string sourceName;
    int16_t colourLength = 0;
    LwoColour colour = {1.0f, 1.0f, 1.0f};  // white unless a COLR says otherwise
    int32_t colourEnvelope = 0;
    int16_t diffuseLength = 0;
    float diffuse = 0.0f;
    int32_t diffuseEnvelope = 0;
    int16_t blockLength = 0;
    int16_t transparencyLength = 0;
    bool hasTransparency = false;
    float transparency = 0.0f;
    int32_t transparencyEnvelope = 0;
    bool hasBlock = false;
    std::vector<LwoImageBlock> imageBlocks;  // file order
    float luminosity = 0.0f;  // LUMI
    uint16_t flags = 0;  // LWOB FLAG
    // The picture the surface's colour uses where the surface names it itself (LWO3: the image
    // node wired into the material's colour, else the clip of its colour image block; LWOB: the
    // first colour texture's TIMG). Never set for LWO2, whose pictures are its clips.
    std::string imageName;
    std::vector<LwoLegacyTexture> legacyTextures;  // LWOB, file order
    // Shading, for lit drawing and export; without their sub-chunks, what LightWave gives a new
    // surface. The colour and the diffuse value above keep the engine's defaults (white, 0), so
    // hasDiffuse says whether a diffuse value was read at all (LightWave's default is 1).
    bool hasDiffuse = false;
    float specular = 0.0f;  // SPEC
    float glossiness = 0.4f;  // GLOS
    float smoothingAngle = 0.0f;  // SMAN, radians: 0 leaves every polygon flat
    bool doubleSided = false;  // SIDE 3 (LWOB: FLAG bit 8)
};

struct LwoVertexMapEntry {
    int32_t vertex = 0;  // point number
    int32_t polygon = 0;  // polygon number within its set (VMAD entries only)
};

struct LwoVertexMap {
    int32_t chunkLength = 0;
    std::string type;
    uint16_t dimension = 0;
    std::string name;
    std::vector<LwoVertexMapEntry> entries;
    // Every entry's values, `dimension` each, entry after entry: one array for the map rather
    // than one per entry.
    std::vector<float> values;
    int32_t pointSetIndex = -1;  // the PNTS chunk the vertices refer to (the latest one)

    // Entry e's values.
    Span<float> valuesOf(size_t e) const { return Span<float>(values.data() + e * dimension, dimension); }
};

struct LwoClip {
    int32_t chunkLength = 0;
    uint32_t clipIndex = 0;
    std::string subChunkType;
    int16_t stillLength = 0;
    std::string fileName;
    uint32_t texture = 0;  // made from a STIL file name by the clip loader; 0 for none
};

// Polygons in a polygon list (U2 corner count with flags, VX points) without checking the
// points: counts what a set the mesh does not keep holds. Stops at the first short polygon.
int32_t countPolygonList(ByteCursor list);

// More TXUV VMAP chunks than this fail the read: every corner is looked up in every map.
constexpr size_t kMaxUvMaps = 256;

// Loads a picture file into a texture name; true on failure (the texture loaders' convention).
// A GL texture name is an unsigned 32-bit integer, so the JPEG loader fits as it is.
using ClipTextureLoader = bool (*)(const char* path, uint32_t& texture);

// Everything an object file was read into, in file order within each list.
struct LwoRecords {
    int32_t formLength = 0;
    std::string formType;  // as the file says, once the walk has begun
    LwoFormat format = LwoFormat::Unknown;
    int16_t layerCount = 0;
    LwoTagList tagList;
    std::vector<LwoLayer> layers;
    std::vector<LwoPointSet> pointSets;
    int32_t boundingBoxLength = 0;
    std::vector<LwoPolygonSet> polygonSets;
    std::vector<LwoPolygonTags> polygonTagSets;
    std::vector<LwoSurface> surfaces;
    std::vector<LwoVertexMap> vertexMaps;  // TXUV VMAP chunks
    std::vector<LwoVertexMap> discVertexMaps;  // TXUV VMAD chunks
    std::vector<LwoClip> clips;

    // Points in the latest point set (what indices read now refer to); 0 before any.
    size_t latestPointCount() const;
    // Polygons in the latest polygon set, or -1 when it is not a FACE set (count unknown).
    int64_t latestPolygonCount() const;
    // A polygon set of `type` for the chunk at chunkOffset, tied to the latest point set and the
    // layers read so far; its polygons are the caller's to add.
    LwoPolygonSet newPolygonSet(const std::string& type, int32_t chunkOffset, int32_t chunkLength) const;
};
