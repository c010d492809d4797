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
    object.clipTextureLoader = nullptr;  // no GL context, and file names come from the input
    const bool failed = object.loadFromMemory(data, size, "fuzz.lwo");
    if (failed != !object.lastError().empty()) std::abort();
    if (failed && (!object.polygons.empty() || !object.reader.surfaces.empty())) std::abort();
    object.prepareVertexArray();
    PositionList positions = object.collectPositions();
    object.startMorph(positions, PositionList(positions.begin(), positions.begin() + positions.size() / 2));
    object.stepMorph(true, 3.0f);
    if (!object.reader.vertexMaps.empty()) object.buildFacesFromUvMap(0);
    object.applyColour(0.5f, 0.5f, 0.5f);
    return 0;
}
