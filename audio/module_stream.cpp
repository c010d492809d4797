#include "audio/module_stream.h"

#include <libopenmpt/libopenmpt.h>

#include <cstring>

std::unique_ptr<ModuleStream> ModuleStream::open(const std::vector<unsigned char>& bytes,
                                                 int sampleRate, std::string& error) {
    int code = 0;
    const char* message = nullptr;
    openmpt_module* module =
        openmpt_module_create_from_memory2(bytes.data(), bytes.size(), openmpt_log_func_silent,
                                           nullptr, nullptr, nullptr, &code, &message, nullptr);
    if (module == nullptr) {
        error =
            std::string("not a playable module (") + (message ? message : "unknown format") + ")";
        openmpt_free_string(message);
        return nullptr;
    }
    openmpt_free_string(message);
    openmpt_module_set_repeat_count(module, -1);
    std::unique_ptr<ModuleStream> stream(new ModuleStream());
    stream->module_ = module;
    stream->rate_ = sampleRate;
    return stream;
}

ModuleStream::~ModuleStream() { openmpt_module_destroy(module_); }

void ModuleStream::read(int16_t* out, int64_t frames) {
    int64_t done = 0;
    while (done < frames) {
        const size_t got = openmpt_module_read_interleaved_stereo(
            module_, rate_, static_cast<size_t>(frames - done), out + done * 2);
        if (got == 0) {
            break;
        }
        done += static_cast<int64_t>(got);
    }
    std::memset(out + done * 2, 0, static_cast<size_t>(frames - done) * 2 * sizeof(int16_t));
}
