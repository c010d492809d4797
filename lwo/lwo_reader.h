// The LWO2 reader: an IFF "FORM"/"LWO2" file held in memory, walked chunk by chunk into plain
// records (tags, layers, points, polygons, polygon tags, surfaces, UV maps, still clips).
// Everything else is skipped by its length.
//
// All reads go through one bounded ByteCursor. The first check that fails stops the walk and
// leaves a located message ("<file>: POLS at 0x1a4: point 812 >= 640 points"); nothing a file
// holds can make the reader read outside its buffer, loop without progress or allocate more
// than the file's size suggests. Records own their strings and arrays by value; nothing points
// into the byte buffer after a read returns. Colours are 0-1 floats; coordinates are as stored
// in the file (the mesh model negates them). No GL here: a clip's texture name is a plain
// integer made by whatever loader the caller installs.
#pragma once

#include "lwo/byte_cursor.h"
#include "lwo/vec3.h"

#include <array>
#include <cstdint>
#include <iosfwd>
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
};

struct LwoVertexMapEntry {
    int32_t vertex = 0;  // point number
    int32_t polygon = 0;  // polygon number within its set (VMAD entries only)
    std::vector<float> values;  // `dimension` long
};

struct LwoVertexMap {
    int32_t chunkLength = 0;
    std::string type;
    uint16_t dimension = 0;
    std::string name;
    std::vector<LwoVertexMapEntry> entries;
    int32_t pointSetIndex = -1;  // the PNTS chunk the vertices refer to (the latest one)
};

struct LwoClip {
    int32_t chunkLength = 0;
    uint32_t clipIndex = 0;
    std::string subChunkType;
    int16_t stillLength = 0;
    std::string fileName;
    uint32_t texture = 0;  // made from a STIL file name by the clip loader; 0 for none
};

// More TXUV VMAP chunks than this fail the read: every corner is looked up in every map.
constexpr size_t kMaxUvMaps = 256;

// Loads a picture file into a texture name; true on failure (the texture loaders' convention).
// A GL texture name is an unsigned 32-bit integer, so the JPEG loader fits as it is.
using ClipTextureLoader = bool (*)(const char* path, uint32_t& texture);

class LwoReader {
public:
    LwoReader() = default;
    // Takes the whole file and reads the form length at byte 4. `name` labels messages.
    explicit LwoReader(std::vector<uint8_t> fileBytes, std::string name = "");

    // Primitive reads at an offset; each leaves the position after the bytes consumed.
    uint8_t readU1(int32_t offset);
    uint16_t readU2(int32_t offset);
    uint32_t readU4(int32_t offset);
    float readF4(int32_t offset);
    std::string readId4(int32_t offset);
    std::string readPaddedString(int32_t offset);
    int32_t readVariableIndex(int32_t offset);

    // Chunk readers: `offset` is that of the chunk's length field (the byte after its ID).
    // Each appends its record and leaves the position after the chunk body and its pad byte.
    void readTags(int32_t offset);
    void readLayer(int32_t offset);
    void readPoints(int32_t offset);
    void readBoundingBox(int32_t offset);
    void readPolygons(int32_t offset);
    void readPolygonTags(int32_t offset);
    void readSurface(int32_t offset);
    void readVertexMap(int32_t offset);
    void readDiscVertexMap(int32_t offset);
    void readClip(int32_t offset);

    // Walks the chunks from `start` (12) to the end of the form. True on failure, with
    // error() set.
    [[nodiscard]] bool parseChunks(int32_t start);

    int32_t position() const { return static_cast<int32_t>(cursor_.position()); }
    bool failed() const { return cursor_.failed(); }
    // "<name>: <chunk> at 0x<offset>: <what>"; empty when nothing failed.
    std::string error() const;
    const std::string& name() const { return name_; }

    int32_t formLength = 0;
    std::vector<uint8_t> bytes;
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

    // The chunk being (or last) dispatched by the walk.
    std::string currentChunkId;
    LwoChunkKind currentChunkKind = LwoChunkKind::Unknown;

    // Where "\n cos opuszczem!!!\n" goes when a vertex map is skipped.
    std::ostream* diagnostics = nullptr;  // null: standard output
    // Makes CLIP textures; null (the default) skips them.
    ClipTextureLoader clipTextureLoader = nullptr;

private:
    class ChunkScope;
    // Opens the chunk body [offset + 4, offset + 4 + length) as the cursor's range and
    // returns its end; false when the length runs past the data.
    bool beginChunk(int32_t offset, size_t& end);
    // Leaves the cursor after the chunk body and its pad byte.
    void endChunk(int32_t offset, size_t end);
    void readVertexMapChunk(int32_t offset, bool perPolygon);
    void readSurfaceSubChunk(LwoSurface& surface, size_t surfaceEnd);
    bool checkFormHeader();
    // Polygons in the latest polygon set, or -1 when it is not a FACE set (count unknown).
    int64_t latestPolygonCount() const;
    size_t latestPointCount() const;
    // The cursor over `bytes`, re-pointed at them on every use so copies of a reader stay valid.
    ByteCursor& cursor();
    std::ostream& diagnosticStream() const;

    std::string name_;
    ByteCursor cursor_;
    size_t walkEnd_ = 0;
};
