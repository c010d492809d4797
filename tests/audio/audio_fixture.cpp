#include "audio_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tests/support/temp_folder.h"
#include "tools/make_soundtrack_mp3.h"

namespace audiotest {

std::vector<int16_t> testSignal(size_t frames, int channels) {
    std::vector<int16_t> pcm(frames * static_cast<size_t>(channels));
    const double seconds = static_cast<double>(frames) / kRate;
    for (size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / kRate;
        // Instantaneous frequency moves linearly: 300 Hz up to 4 kHz on the left,
        // 5 kHz down to 1 kHz on the right.
        const double left = std::sin(2.0 * M_PI * (300.0 * t + 0.5 * 3700.0 / seconds * t * t));
        const double right = std::sin(2.0 * M_PI * (5000.0 * t - 0.5 * 4000.0 / seconds * t * t));
        pcm[i * static_cast<size_t>(channels)] = static_cast<int16_t>(std::lround(12000.0 * left));
        if (channels == 2) {
            pcm[i * 2 + 1] = static_cast<int16_t>(std::lround(12000.0 * right));
        }
    }
    return pcm;
}

std::vector<unsigned char> encodeTestMp3(const std::vector<int16_t>& pcm, int channels,
                                         int sampleRate) {
    Mp3Settings settings;
    settings.sampleRate = sampleRate;
    settings.channels = channels;
    settings.kbps = channels == 2 ? 256 : 128;
    std::vector<unsigned char> mp3;
    std::string error;
    EXPECT_TRUE(encodeMp3(pcm, settings, mp3, error)) << error;
    return mp3;
}

std::vector<unsigned char> minimalModule() {
    constexpr size_t kHeader = 20 + 31 * 30 + 2 + 128 + 4;
    constexpr size_t kPattern = 64 * 4 * 4;
    constexpr size_t kSampleBytes = 64;
    std::vector<unsigned char> mod(kHeader + kPattern + kSampleBytes, 0);
    std::snprintf(reinterpret_cast<char*>(mod.data()), 20, "audio test");
    unsigned char* sample = mod.data() + 20;
    sample[23] = kSampleBytes / 2;  // length in 16-bit words, big-endian
    sample[25] = 64;                // volume
    sample[29] = kSampleBytes / 2;  // loop over the whole sample
    mod[20 + 31 * 30] = 1;          // one order
    mod[20 + 31 * 30 + 1] = 127;
    std::copy_n("M.K.", 4, mod.begin() + 20 + 31 * 30 + 2 + 128);
    unsigned char* cell = mod.data() + kHeader;
    const int period = 428;  // C in the middle octave
    cell[0] = static_cast<unsigned char>(period >> 8);
    cell[1] = static_cast<unsigned char>(period & 0xff);
    cell[2] = 1 << 4;  // sample 1
    unsigned char* wave = mod.data() + kHeader + kPattern;
    for (size_t i = 0; i < kSampleBytes; ++i) {
        wave[i] = i < kSampleBytes / 2 ? 0x60 : 0xa0;
    }
    return mod;
}

std::string writeTempFile(const std::string& name, const std::vector<unsigned char>& bytes) {
    const std::string path = testsupport::tempPath("audio_test_" + std::string(name));
    std::FILE* file = std::fopen(path.c_str(), "wb");
    EXPECT_NE(file, nullptr) << path;
    if (file != nullptr) {
        EXPECT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file), bytes.size());
        std::fclose(file);
    }
    return path;
}

}  // namespace audiotest
