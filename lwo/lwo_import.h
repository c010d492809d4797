// What an object importer is handed: the cursor over the whole file, where the form ends, the
// records to fill and the caller's settings. Each format's importer walks its own form with
// this and nothing else, so formats share the records and the IFF layer, never each other.
#pragma once

#include "lwo/byte_cursor.h"
#include "lwo/lwo_records.h"

#include <cstddef>
#include <iosfwd>
#include <string>

struct LwoImport {
    ByteCursor& cursor;  // over the whole file; at the first chunk when an importer starts
    size_t formEnd;      // where the form's chunks must end
    LwoRecords& records;
    std::ostream& diagnostics;  // where a skipped vertex map is reported
    ClipTextureLoader clipTextureLoader;  // null: clips get no texture
    std::string chunkId;  // the top-level chunk being (or last) read, for the caller
};

// An importer: reads the form's chunks into in.records, failures recorded in the cursor.
using LwoImporter = void (*)(LwoImport& in);
