// The object reader: a LightWave object file held in memory (an IFF "FORM" of type LWOB, LWO2
// or LWO3), read into the records of lwo/lwo_records.h. The reader checks the form header and
// hands the form to the importer of its type; it knows nothing of any format's chunks.
//
// All reads go through one bounded ByteCursor. The first check that fails stops the walk and
// leaves a located message ("<file>: POLS at 0x1a4: point 812 >= 640 points"); nothing a file
// holds can make the reader read outside its buffer, loop without progress or allocate more
// than the file's size suggests. Records own their strings and arrays by value; nothing points
// into the byte buffer after a read returns.
#pragma once

#include "lwo/byte_cursor.h"
#include "lwo/lwo_records.h"
#include "lwo/vec3.h"

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

struct LwoImport;

class LwoReader : public LwoRecords {
public:
    LwoReader() = default;
    // Takes the whole file and reads the form length at byte 4. `name` labels messages.
    explicit LwoReader(std::vector<uint8_t> fileBytes, std::string name = "");
    // The same over bytes the caller keeps, unchanged, until releaseFile() or the reader's end:
    // a file already in memory is read where it is rather than copied. `bytes` stays empty.
    LwoReader(const uint8_t* data, size_t size, std::string name = "");

    // Primitive reads at an offset; each leaves the position after the bytes consumed.
    uint8_t readU1(int32_t offset);
    uint16_t readU2(int32_t offset);
    uint32_t readU4(int32_t offset);
    float readF4(int32_t offset);
    std::string readId4(int32_t offset);
    std::string readPaddedString(int32_t offset);
    int32_t readVariableIndex(int32_t offset);

    // LWO2 chunk readers: `offset` is that of the chunk's length field (the byte after its ID).
    // Each appends its record and leaves the position after the chunk body and its pad byte.
    void readTags(int32_t offset) { readChunkAt(offset, LwoChunkKind::Tags); }
    void readLayer(int32_t offset) { readChunkAt(offset, LwoChunkKind::Layer); }
    void readPoints(int32_t offset) { readChunkAt(offset, LwoChunkKind::Points); }
    void readBoundingBox(int32_t offset) { readChunkAt(offset, LwoChunkKind::BoundingBox); }
    void readPolygons(int32_t offset) { readChunkAt(offset, LwoChunkKind::Polygons); }
    void readPolygonTags(int32_t offset) { readChunkAt(offset, LwoChunkKind::PolygonTags); }
    void readSurface(int32_t offset) { readChunkAt(offset, LwoChunkKind::Surface); }
    void readVertexMap(int32_t offset) { readChunkAt(offset, LwoChunkKind::VertexMap); }
    void readDiscVertexMap(int32_t offset) { readChunkAt(offset, LwoChunkKind::DiscVertexMap); }
    void readClip(int32_t offset) { readChunkAt(offset, LwoChunkKind::Clip); }

    // Checks the form header and reads the form's chunks from `start` (12) with the importer of
    // its type. True on failure, with error() set.
    [[nodiscard]] bool parseChunks(int32_t start);

    // Gives back the file's bytes once its records are read: nothing after the walk reads them,
    // and a scene that loads many objects would otherwise hold every file whole. Reads after
    // this see an empty file.
    void releaseFile();

    int32_t position() const { return static_cast<int32_t>(cursor_.position()); }
    // Where chunks must end: the form's end once the header is read.
    size_t walkLimit() const;
    bool failed() const { return cursor_.failed(); }
    // "<name>: <chunk> at 0x<offset>: <what>"; empty when nothing failed.
    std::string error() const;
    const std::string& name() const { return name_; }

    // The file, when the reader holds it (the first constructor).
    std::vector<uint8_t> bytes;

    // The top-level chunk being (or last) read by the walk.
    std::string currentChunkId;
    LwoChunkKind currentChunkKind = LwoChunkKind::Unknown;

    // Where "\n cos opuszczem!!!\n" goes when a vertex map is skipped.
    std::ostream* diagnostics = nullptr;  // null: standard output
    // Makes CLIP textures; null (the default) skips them.
    ClipTextureLoader clipTextureLoader = nullptr;

private:
    // The cursor over the whole buffer at `offset`.
    ByteCursor& cursorAt(int32_t offset);
    // One primitive read at `offset` of the whole buffer.
    template <class Value>
    Value readAt(int32_t offset, Value (ByteCursor::*read)());
    void readChunkAt(int32_t offset, LwoChunkKind kind);
    LwoImport importFrom(ByteCursor& c);
    bool checkFormHeader();
    // The cursor over the file, re-pointed at it on every use so copies of a reader stay valid.
    ByteCursor& cursor();
    void readFormLength();
    const uint8_t* fileData() const { return borrowed_ ? borrowed_ : bytes.data(); }
    size_t fileSize() const { return borrowed_ ? borrowedSize_ : bytes.size(); }
    std::ostream& diagnosticStream() const;

    std::string name_;
    const uint8_t* borrowed_ = nullptr;  // the caller's bytes, for the second constructor
    size_t borrowedSize_ = 0;
    ByteCursor cursor_;
    size_t walkEnd_ = 0;
};
