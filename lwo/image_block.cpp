#include "lwo/image_block.h"

#include "lwo/iff_chunks.h"

#include <utility>

namespace {

constexpr iff::LengthRule kInBlock = {"sub-chunk", "the block end", false};
constexpr iff::LengthRule kInHeader = {"sub-chunk", "the block header end", false};
constexpr iff::LengthRule kInMapping = {"sub-chunk", "the texture mapping end", false};

// PROJ, AXIS, ENAB: U2 in LWO2; LWO3 files hold them as U4 where the body has room.
uint32_t readEnum(ByteCursor& c, BlockNumbers numbers) {
    if (numbers == BlockNumbers::Lwo3 && c.remaining() >= 4) return c.readU4();
    return c.readU2();
}

int32_t readImage(ByteCursor& c, BlockNumbers numbers) {
    if (numbers == BlockNumbers::Lwo3 && c.remaining() == 4) return static_cast<int32_t>(c.readU4());
    return c.readVariableIndex();
}

// The optional envelope after an LWO2 value; read (and dropped) so a damaged one is found.
void skipEnvelope(ByteCursor& c, BlockNumbers numbers) {
    if (numbers == BlockNumbers::Lwo2 && c.remaining() >= 2) c.readVariableIndex();
}

Vec3 readVector(ByteCursor& c, BlockNumbers numbers) {
    const Vec3 v = c.readVec12();
    skipEnvelope(c, numbers);
    return v;
}

float readCycles(ByteCursor& c, BlockNumbers numbers) {
    const float cycles = c.readF4();
    skipEnvelope(c, numbers);
    return cycles;
}

void readWrap(ByteCursor& c, BlockNumbers numbers, LwoImageBlock& block) {
    const bool wide = numbers == BlockNumbers::Lwo3 && c.remaining() >= 8;
    block.wrapWidth = static_cast<uint16_t>(wide ? c.readU4() : c.readU2());
    block.wrapHeight = static_cast<uint16_t>(wide ? c.readU4() : c.readU2());
}

// An LWO2 block's sub-chunks up to the cursor's end, each handed to `read` with its ID.
template <typename Read>
void eachSubChunk(ByteCursor& c, const char* holder, const iff::LengthRule& rule, Read read) {
    iff::walkSubChunks(c, holder, "SURF BLOK", rule, [&](const std::string& id, const iff::Body&) {
        read(id, c, BlockNumbers::Lwo2);
        return false;
    });
}

void readLwo2Attribute(const std::string& id, ByteCursor& c, BlockNumbers numbers, LwoImageBlock& block) {
    if (id == "TMAP") {
        eachSubChunk(c, "SURF BLOK TMAP", kInMapping, [&](const std::string& sub, ByteCursor& in, BlockNumbers n) {
            readBlockMappingAttribute(sub, in, n, block);
        });
    } else {
        readBlockAttribute(id, c, numbers, block);
    }
}

}  // namespace

void readBlockHeaderAttribute(const std::string& id, ByteCursor& c, BlockNumbers numbers, LwoImageBlock& block) {
    if (id == "CHAN") block.channel = c.readId4();
    else if (id == "ENAB") block.enabled = readEnum(c, numbers) != 0;
}

void readBlockMappingAttribute(const std::string& id, ByteCursor& c, BlockNumbers numbers, LwoImageBlock& block) {
    if (id == "CNTR") block.centre = readVector(c, numbers);
    else if (id == "SIZE") block.size = readVector(c, numbers);
    else if (id == "ROTA") block.rotation = readVector(c, numbers);
}

void readBlockAttribute(const std::string& id, ByteCursor& c, BlockNumbers numbers, LwoImageBlock& block) {
    if (id == "PROJ") {
        block.projection = static_cast<int32_t>(readEnum(c, numbers));
    } else if (id == "AXIS") {
        block.axis = static_cast<uint16_t>(readEnum(c, numbers));
    } else if (id == "IMAG") {
        block.image = readImage(c, numbers);
    } else if (id == "WRAP") {
        readWrap(c, numbers, block);
    } else if (id == "WRPW") {
        block.wrapCountWidth = readCycles(c, numbers);
    } else if (id == "WRPH") {
        block.wrapCountHeight = readCycles(c, numbers);
    } else if (id == "VMAP") {
        block.uvMap = c.readPaddedString();
    }
}

void readImageBlock(const ByteCursor& blockCursor, LwoSurface& surface) {
    ByteCursor c = blockCursor;
    const size_t blockEnd = c.end();
    const size_t bodyStart = c.position();
    // Only an image map's header says IMAP; anything else is not this reader's to keep.
    if (c.remaining() < iff::kSubChunkHeaderSize || c.readId4() != "IMAP") return;
    LwoImageBlock block;
    block.offset = static_cast<int32_t>(bodyStart - iff::kSubChunkHeaderSize);
    c.setContext("SURF BLOK IMAP");
    iff::Body header;
    if (iff::openBody(c, iff::LengthWidth::Two, bodyStart, blockEnd, kInBlock, header)) {
        block.ordinal = c.readPaddedString();
        eachSubChunk(c, "SURF BLOK IMAP", kInHeader, [&](const std::string& id, ByteCursor& in, BlockNumbers n) {
            readBlockHeaderAttribute(id, in, n, block);
        });
        iff::closeBody(c, header, blockEnd, blockEnd);
        eachSubChunk(c, "SURF BLOK", kInBlock, [&](const std::string& id, ByteCursor& in, BlockNumbers n) {
            readLwo2Attribute(id, in, n, block);
        });
    }
    if (c.failed()) block.problem = c.error();
    surface.imageBlocks.push_back(std::move(block));
}
