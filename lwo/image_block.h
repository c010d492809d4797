// The image-map blocks of LWO2 surfaces: a BLOK whose header is IMAP, with its channel, the
// texture mapping (TMAP: centre, size, rotation), projection, axis, image, wrap modes and
// counts, and UV map name, kept as LwoImageBlock records for projection mapping.
//
// The surface reader still walks a block's sub-chunks as its own (which is how LWO2 surfaces
// have always been read); this is a second, separate look at the same bytes through a copy of
// the cursor. So a block never fails the read: one that cannot be read whole keeps what came
// before the fault and the located reason in its `problem`, and is not used for projection.
#pragma once

#include "lwo/byte_cursor.h"
#include "lwo/lwo_reader.h"

#include <cstddef>

// `surfaceCursor` is at the first byte of a BLOK body that ends at `blockEnd`. Appends a record
// to surface.imageBlocks when the block is an image map; other blocks (procedural, gradient,
// shader) are left alone. The cursor itself is not moved.
void readImageBlock(const ByteCursor& surfaceCursor, size_t blockEnd, LwoSurface& surface);
