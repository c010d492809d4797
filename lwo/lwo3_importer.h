// The LWO3 importer: surfaces and clips, which LWO3 keeps as nested forms with 4-byte lengths,
// are its own; its other chunks (layers, points, polygons, tags, vertex maps) are LWO2's and
// are read by the LWO2 chunk readers (lwo/lwo2_chunks.h) into the same records.
//
// A surface keeps its name, COLR, DIFF, TRAN and LUMI where it has them. Many files keep the
// colour only in the surface's node graph: then the colour is that of the material node wired
// into the Surface node's Material input, and the surface's image is that of the image node
// wired into the material's Color input. Of the graph only that much is read; everything else
// is skipped by its length, with the IFF layer's bounds and located failures. A clip keeps its
// index and the file name of its still image.
//
// A surface names its picture by file (an image node) or by clip index (a texture layer on the
// material's colour, or its colour image block), and a clip may be written after the surfaces
// that use it: every such look-up is made once, after the walk has read every clip. Linear in
// surfaces and clips.
#pragma once

#include "lwo/lwo_import.h"

// Reads an LWO3 form's chunks, the cursor at the first of them.
void importLwo3(LwoImport& in);
