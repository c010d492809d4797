#include "lwo/lwo2_importer.h"

#include "lwo/iff_chunks.h"
#include "lwo/lwo2_chunks.h"

void importLwo2(LwoImport& in) {
    iff::walkFormChunks(in.cursor, in.formEnd, in.chunkId, [&](const std::string& id, const iff::Body& body) {
        lwo2::readChunk(in, classifyChunk(id), body);
    });
}
