// The LWO2 chunk readers: tags, layers, points, bounding box, polygons, polygon tags, surfaces,
// UV maps (VMAP, VMAD) and clips. The LWO2 importer reads every chunk through them; LWO3, whose
// chunks other than its nested forms are LWO2's, and LWOB, whose points are, call them here by
// name.
//
// Each reader is called with the cursor at the start of a chunk's body and its range narrowed
// to it (the walk leaves the body and its pad byte), and appends its record. Indices are checked
// with >= against the latest point or polygon set; the first failure stops the read, located.
#pragma once

#include "lwo/iff_chunks.h"
#include "lwo/lwo_import.h"
#include "lwo/lwo_records.h"

#include <string>

namespace lwo2 {

void readTags(LwoImport& in, const iff::Body& body);
void readLayer(LwoImport& in, const iff::Body& body);
void readPoints(LwoImport& in, const iff::Body& body);
void readBoundingBox(LwoImport& in, const iff::Body& body);
void readPolygons(LwoImport& in, const iff::Body& body);
void readPolygonTags(LwoImport& in, const iff::Body& body);
void readSurface(LwoImport& in, const iff::Body& body);
// VMAP (perPolygon false) and VMAD (true); only TXUV maps are kept.
void readVertexMap(LwoImport& in, const iff::Body& body, bool perPolygon);
void readClip(LwoImport& in, const iff::Body& body);

// A shading sub-chunk's value (LUMI, SPEC, GLOS, SMAN, SIDE; LWO2's and LWO3's alike) into the
// surface; other IDs are left alone.
void readShadingValue(const std::string& id, ByteCursor& c, LwoSurface& surface);

// The reader for `kind`; an unknown chunk is left to be skipped.
void readChunk(LwoImport& in, LwoChunkKind kind, const iff::Body& body);

}  // namespace lwo2
