// Feeds arbitrary text to the scene reader (every version's reader, envelopes and baking).
// Object files are not loaded: the fuzzer exercises the scene text alone. What the reader
// made must stay within the bound its header promises, so an input that grows the process
// past it is a finding even when it stays under the fuzzer's memory limit.
#include "scene/lws_scene.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    LwsScene scene;
    scene.progress = nullptr;
    scene.errors = nullptr;  // the reasons are still made, only not written for every input
    scene.loadObjects = false;
    // A sixteenth of the bound still reaches every path past it, at many more inputs a second.
    scene.maxBakedValues = kMaxBakedValues / 16;
    // Refusing the text is an outcome like any other; what it cost is checked either way.
    static_cast<void>(scene.loadFromText(std::string(reinterpret_cast<const char*>(data), size), "fuzz.lws"));
    const int64_t bound = kSceneBytesPerFileByte * static_cast<int64_t>(size) + kSceneFixedBytes;
    if (scene.loadCost().bytes > bound) std::abort();
    return 0;
}
