// The LWOB importer: objects of LightWave 5 and before, read into the same records as LWO2 so the
// mesh model, drawing and the tools need nothing of their own for them.
//
// An LWOB object is one layer: a layer record (number 0) is made for it. SRFS names become the
// tag list, each POLS polygon's surface number a SURF polygon tag (detail polygons, announced
// by a negative surface number and a count, are read as the polygons they are). CRVS and PCHS
// are counted into polygon sets of type "CURV" and "PTCH" that the mesh does not draw. SURF
// keeps colour (8-bit), FLAG, diffuse, transparency and luminosity (fixed-point, then the float
// forms that refine them), and every texture with its image, axis, size, centre and wraps.
#pragma once

#include "lwo/lwo_import.h"

// Reads an LWOB form's chunks, the cursor at the first of them.
void importLwob(LwoImport& in);
