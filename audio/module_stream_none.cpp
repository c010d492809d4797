#include "audio/module_stream.h"

// A build without the module renderer (the Windows one: libopenmpt is not cross-built). Every
// module is refused with the reason, as a file the renderer does not know would be.
std::unique_ptr<ModuleStream> ModuleStream::open(const std::vector<unsigned char>&, int, std::string& error) {
    error = "not a playable module (this build has no module player)";
    return nullptr;
}

ModuleStream::~ModuleStream() = default;

void ModuleStream::read(int16_t* out, int64_t frames) {
    for (int64_t i = 0; i < frames * 2; ++i) out[i] = 0;
}
