#include "tools/make_soundtrack_mp3.h"

#include <lame/lame.h>

#include <algorithm>
#include <memory>

namespace {

struct LameCloser {
    void operator()(lame_global_flags* flags) const { lame_close(flags); }
};

}  // namespace

bool encodeMp3(const std::vector<int16_t>& pcm, const Mp3Settings& settings,
               std::vector<unsigned char>& mp3, std::string& error) {
    if (settings.channels != 1 && settings.channels != 2) {
        error = "only mono or stereo can be encoded";
        return false;
    }
    std::unique_ptr<lame_global_flags, LameCloser> lame(lame_init());
    if (!lame) {
        error = "the MP3 encoder could not be created";
        return false;
    }
    lame_global_flags* gf = lame.get();
    lame_set_in_samplerate(gf, settings.sampleRate);
    lame_set_out_samplerate(gf, settings.sampleRate);
    lame_set_num_channels(gf, settings.channels);
    lame_set_mode(gf, settings.channels == 2 ? JOINT_STEREO : MONO);
    lame_set_brate(gf, settings.kbps);
    lame_set_quality(gf, 2);
    lame_set_bWriteVbrTag(gf, 1);
    if (lame_init_params(gf) < 0) {
        error = "the MP3 encoder refused the settings";
        return false;
    }

    mp3.clear();
    const size_t totalFrames = pcm.size() / static_cast<size_t>(settings.channels);
    const size_t chunkFrames = 8192;
    std::vector<unsigned char> buffer(chunkFrames * 5 / 4 + 7200);
    for (size_t start = 0; start < totalFrames; start += chunkFrames) {
        const size_t n = std::min(chunkFrames, totalFrames - start);
        int written = 0;
        if (settings.channels == 2) {
            // The encoder takes a non-const pointer but does not write through it.
            written = lame_encode_buffer_interleaved(gf, const_cast<short*>(pcm.data() + start * 2),
                                                     static_cast<int>(n), buffer.data(),
                                                     static_cast<int>(buffer.size()));
        } else {
            written =
                lame_encode_buffer(gf, pcm.data() + start, pcm.data() + start, static_cast<int>(n),
                                   buffer.data(), static_cast<int>(buffer.size()));
        }
        if (written < 0) {
            error = "the MP3 encoder failed (code " + std::to_string(written) + ")";
            return false;
        }
        mp3.insert(mp3.end(), buffer.begin(), buffer.begin() + written);
    }
    const int flushed = lame_encode_flush(gf, buffer.data(), static_cast<int>(buffer.size()));
    if (flushed < 0) {
        error = "the MP3 encoder failed to flush";
        return false;
    }
    mp3.insert(mp3.end(), buffer.begin(), buffer.begin() + flushed);

    // The first frame was reserved for the tag; it can only be written now that the
    // delay, padding and frame count are known.
    const size_t tagSize = lame_get_lametag_frame(gf, buffer.data(), buffer.size());
    if (tagSize == 0 || tagSize > buffer.size() || tagSize > mp3.size()) {
        error = "the MP3 encoder produced no LAME tag";
        return false;
    }
    std::copy(buffer.begin(), buffer.begin() + static_cast<long>(tagSize), mp3.begin());
    return true;
}
