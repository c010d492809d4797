// Small sound files made on the spot for the audio tests: a deterministic test signal, the
// same encoded as a gapless MP3, a minimal tracker module, and files to hold them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace audiotest {

constexpr int kRate = 44100;

// Interleaved frames: a rising chirp on the left, a different one on the right (mono: left
// only), so both the time alignment and the channel order can be checked.
std::vector<int16_t> testSignal(size_t frames, int channels);

// The signal encoded at 44.1 kHz with a LAME tag; fails the calling test on error.
std::vector<unsigned char> encodeTestMp3(const std::vector<int16_t>& pcm, int channels,
                                         int sampleRate = kRate);

// A one-pattern four-channel module playing a looped square wave.
std::vector<unsigned char> minimalModule();

// Writes the bytes to a fresh file in the test's temporary folder; returns its path.
std::string writeTempFile(const std::string& name, const std::vector<unsigned char>& bytes);

}  // namespace audiotest
