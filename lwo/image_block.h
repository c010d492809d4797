// The image-map blocks of surfaces: a BLOK whose header is IMAP, with its channel, the texture
// mapping (TMAP: centre, size, rotation), projection, axis, image, wrap modes and counts, and
// UV map name, kept as LwoImageBlock records for projection mapping.
//
// LWO2 and LWO3 name a block's attributes alike and differ in how they nest them (2-byte
// sub-chunks against 4-byte chunks and forms) and in how wide some numbers are: the mapping
// from attribute to field is written here once, for both, and each format walks its own nesting.
//
// The LWO2 surface reader still walks a block's sub-chunks as its own (which is how LWO2
// surfaces have always been read); readImageBlock is a second, separate look at the same bytes
// through a copy of the cursor. So a block never fails the read: one that cannot be read whole
// keeps what came before the fault and the located reason in its `problem`, and is not used for
// projection.
#pragma once

#include "lwo/byte_cursor.h"
#include "lwo/lwo_records.h"

#include <string>

// How a format stores a block's numbers. LWO2: enums and wraps as U2, the image as VX, a
// vector or cycle count followed by its envelope. LWO3: enums as U4 where the body holds four
// bytes (else U2), the image as U4 in a body of exactly four (else VX), no envelope read.
enum class BlockNumbers { Lwo2, Lwo3 };

// An attribute of the block header (CHAN, ENAB); any other ID is left unread.
void readBlockHeaderAttribute(const std::string& id, ByteCursor& c, BlockNumbers numbers, LwoImageBlock& block);
// An attribute of the texture mapping (CNTR, SIZE, ROTA); any other ID is left unread.
void readBlockMappingAttribute(const std::string& id, ByteCursor& c, BlockNumbers numbers, LwoImageBlock& block);
// An attribute after the header (PROJ, AXIS, IMAG, WRAP, WRPW, WRPH, VMAP); any other ID,
// TMAP included (its nesting is the format's), is left unread.
void readBlockAttribute(const std::string& id, ByteCursor& c, BlockNumbers numbers, LwoImageBlock& block);

// LWO2: `block` is at the first byte of a BLOK body, its readable range that body. Appends a
// record to surface.imageBlocks when the block is an image map; other blocks (procedural,
// gradient, shader) are left alone. The cursor itself is not moved.
void readImageBlock(const ByteCursor& block, LwoSurface& surface);
