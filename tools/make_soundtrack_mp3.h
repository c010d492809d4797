// MP3 encoding of 16-bit PCM with a LAME/Xing tag in the first frame, so that decoders
// that read the tag drop the encoder's delay and padding and play exactly the samples
// given (gapless). Used by the soundtrack tool and by the audio tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Mp3Settings {
    int sampleRate = 44100;
    int channels = 2;
    int kbps = 192;  // constant bit rate
};

// Encodes `frames` interleaved frames of `pcm` (frames * channels samples). False, with
// the reason in `error`, when the encoder refuses the settings or fails.
bool encodeMp3(const std::vector<int16_t>& pcm, const Mp3Settings& settings,
               std::vector<unsigned char>& mp3, std::string& error);
