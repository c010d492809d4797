// Feeds arbitrary text to the scene reader (both versions' readers, envelopes and baking).
// Object files are not loaded: the fuzzer exercises the scene text alone.
#include "scene/lws_scene.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    LwsScene scene;
    scene.progress = nullptr;
    scene.loadObjects = false;
    scene.loadFromText(std::string(reinterpret_cast<const char*>(data), size), "fuzz.lws");
    return 0;
}
