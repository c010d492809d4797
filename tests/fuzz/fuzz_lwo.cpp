// libFuzzer target: any bytes through the LWO2 load (reader, mesh building, surfaces) and the
// GL-free operations on what it built. A failed load must leave an empty object with a message.
#include "lwo/lwo_object.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::ostringstream said;
    LwoObject object;
    object.diagnostics = &said;
    const bool failed = object.loadFromMemory(data, size, "fuzz.lwo");
    if (failed != !object.lastError().empty()) std::abort();
    if (failed && (!object.polygons.empty() || !object.reader.surfaces.empty())) std::abort();
    object.prepareVertexArray();
    PositionList positions = object.collectPositions();
    object.startMorph(positions, PositionList(positions.begin(), positions.begin() + positions.size() / 2));
    object.stepMorph(true, 3.0f);
    // A build that fails must say why, like a load.
    if (!object.reader.vertexMaps.empty() && !object.buildFacesFromUvMap(0) && object.lastError().empty()) {
        std::abort();
    }
    object.applyColour(0.5f, 0.5f, 0.5f);
    return 0;
}
