// The LWO3 reader's own part: surfaces and clips, which LWO3 keeps as nested forms with 4-byte
// lengths. Its other chunks (layers, points, polygons, tags, vertex maps) are LWO2's and are
// read by the LWO2 chunk readers into the same records.
//
// A surface keeps its name, COLR, DIFF, TRAN and LUMI where it has them. Many files keep the
// colour only in the surface's node graph: then the colour is that of the material node wired
// into the Surface node's Material input, and the surface's image is that of the image node
// wired into the material's Color input. Of the graph only that much is read; everything else
// is skipped by its length, with the IFF layer's bounds and located failures. A clip keeps its
// index and the file name of its still image.
#pragma once

#include "lwo/byte_cursor.h"

#include <cstdint>

class LwoReader;

// Reads a top-level "FORM" chunk of an LWO3 file; the cursor is at its length field
// (`lengthOffset`) and leaves after the body and pad byte. Forms other than SURF and CLIP are
// skipped.
void readLwo3Form(LwoReader& reader, ByteCursor& c, int32_t lengthOffset);

// Surfaces edited without nodes name their picture only through their colour image block's
// clip, which may be written after them: once the walk has read every clip, each surface that
// names no picture otherwise is given its block's clip file. Linear in surfaces and clips.
void nameBlockPictures(LwoReader& reader);
