// The LWO2 importer: objects of LightWave 6 to 2015, a flat list of chunks, each read by the
// LWO2 chunk readers (lwo/lwo2_chunks.h); a chunk they do not know is skipped by its length.
#pragma once

#include "lwo/lwo_import.h"

// Reads an LWO2 form's chunks, the cursor at the first of them.
void importLwo2(LwoImport& in);
