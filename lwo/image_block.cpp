#include "lwo/image_block.h"

#include "lwo/iff_chunks.h"

#include <string>
#include <utility>

namespace {

constexpr size_t kSubChunkHeaderSize = 6;  // ID, U2 length
constexpr iff::LengthRule kInBlock = {"sub-chunk", "the block end", false};
constexpr iff::LengthRule kInHeader = {"sub-chunk", "the block header end", false};
constexpr iff::LengthRule kInMapping = {"sub-chunk", "the texture mapping end", false};

// A vector value (VEC12) and its optional envelope.
Vec3 readVector(ByteCursor& c) {
    const Vec3 v = c.readVec12();
    if (c.remaining() >= 2) c.readVariableIndex();
    return v;
}

float readCycles(ByteCursor& c) {
    const float cycles = c.readF4();
    if (c.remaining() >= 2) c.readVariableIndex();
    return cycles;
}

// Walks the sub-chunks up to the cursor's end: each body is opened as the readable range,
// handed to `read` with its ID, and left with its pad byte. Stops at the first failure.
template <typename Read>
void eachSubChunk(ByteCursor& c, const char* context, const iff::LengthRule& rule, Read read) {
    const size_t end = c.end();
    while (!c.atEnd()) {
        c.setContext(context);
        if (!iff::headerFits(c, end, kSubChunkHeaderSize, rule.where, "sub-chunk")) return;
        const size_t headerStart = c.position();
        const std::string id = c.readId4();
        c.setContext("SURF BLOK " + id);
        iff::Body body;
        if (!iff::openBody(c, iff::LengthWidth::Two, headerStart, end, rule, body)) return;
        read(id, c);
        iff::closeBody(c, body, end, end);
    }
}

void readHeaderAttribute(const std::string& id, ByteCursor& c, LwoImageBlock& block) {
    if (id == "CHAN") block.channel = c.readId4();
    else if (id == "ENAB") block.enabled = c.readU2() != 0;
}

void readMapping(const std::string& id, ByteCursor& c, LwoImageBlock& block) {
    if (id == "CNTR") block.centre = readVector(c);
    else if (id == "SIZE") block.size = readVector(c);
    else if (id == "ROTA") block.rotation = readVector(c);
}

void readAttribute(const std::string& id, ByteCursor& c, LwoImageBlock& block) {
    if (id == "TMAP") {
        eachSubChunk(c, "SURF BLOK TMAP", kInMapping,
                     [&](const std::string& sub, ByteCursor& in) { readMapping(sub, in, block); });
    } else if (id == "PROJ") {
        block.projection = c.readU2();
    } else if (id == "AXIS") {
        block.axis = c.readU2();
    } else if (id == "IMAG") {
        block.image = c.readVariableIndex();
    } else if (id == "WRAP") {
        block.wrapWidth = c.readU2();
        block.wrapHeight = c.readU2();
    } else if (id == "WRPW") {
        block.wrapCountWidth = readCycles(c);
    } else if (id == "WRPH") {
        block.wrapCountHeight = readCycles(c);
    } else if (id == "VMAP") {
        block.uvMap = c.readPaddedString();
    }
}

}  // namespace

void readImageBlock(const ByteCursor& surfaceCursor, size_t blockEnd, LwoSurface& surface) {
    ByteCursor c = surfaceCursor;
    c.setEnd(blockEnd);
    const size_t bodyStart = c.position();
    // Only an image map's header says IMAP; anything else is not this reader's to keep.
    if (c.remaining() < kSubChunkHeaderSize || c.readId4() != "IMAP") return;
    LwoImageBlock block;
    block.offset = static_cast<int32_t>(bodyStart - kSubChunkHeaderSize);
    c.setContext("SURF BLOK IMAP");
    iff::Body header;
    if (iff::openBody(c, iff::LengthWidth::Two, bodyStart, blockEnd, kInBlock, header)) {
        block.ordinal = c.readPaddedString();
        eachSubChunk(c, "SURF BLOK IMAP", kInHeader,
                     [&](const std::string& id, ByteCursor& in) { readHeaderAttribute(id, in, block); });
        iff::closeBody(c, header, blockEnd, blockEnd);
        eachSubChunk(c, "SURF BLOK", kInBlock,
                     [&](const std::string& id, ByteCursor& in) { readAttribute(id, in, block); });
    }
    if (c.failed()) block.problem = c.error();
    surface.imageBlocks.push_back(std::move(block));
}
