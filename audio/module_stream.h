// A tracker module rendered as 16-bit stereo frames at a fixed rate, repeating forever.
//
// The file's bytes are parsed once at open and may be dropped afterwards; the module's
// state is owned here. Threads: opened on the caller's thread, then read by one thread
// at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct openmpt_module;

class ModuleStream {
public:
    // Null with the reason in `error` when the bytes are no module the renderer knows.
    static std::unique_ptr<ModuleStream> open(const std::vector<unsigned char>& bytes,
                                              int sampleRate, std::string& error);
    ~ModuleStream();
    ModuleStream(const ModuleStream&) = delete;
    ModuleStream& operator=(const ModuleStream&) = delete;

    // Fills all `frames` interleaved stereo frames; silence once the renderer stops.
    void read(int16_t* out, int64_t frames);

private:
    ModuleStream() = default;

    openmpt_module* module_ = nullptr;
    int rate_ = 0;
};
