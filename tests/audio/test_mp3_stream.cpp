// MP3 decoding for the stream: gapless start and length, looping, seeking, mono, bad data.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "audio/mp3_stream.h"
#include "audio_fixture.h"

namespace {

using audiotest::kRate;

std::unique_ptr<Mp3Stream> openBytes(std::vector<unsigned char> bytes, std::string& error) {
    return Mp3Stream::open(std::move(bytes), kRate, error);
}

// The signal encoded (at `sampleRate`) and opened; null, failing the test, when it does not open.
std::unique_ptr<Mp3Stream> openEncoded(const std::vector<int16_t>& pcm, int channels,
                                       int sampleRate = kRate) {
    std::string error;
    auto stream = openBytes(audiotest::encodeTestMp3(pcm, channels, sampleRate), error);
    EXPECT_TRUE(stream) << error;
    return stream;
}

std::vector<int16_t> readFrames(Mp3Stream& stream, size_t frames) {
    std::vector<int16_t> out(frames * 2);
    // Odd-sized reads, as the device's buffers need not line up with MP3 frames.
    size_t done = 0;
    while (done < frames) {
        const size_t n = std::min<size_t>(frames - done, 777);
        stream.read(out.data() + done * 2, static_cast<int64_t>(n));
        done += n;
    }
    return out;
}

// Correlation of channel `ch` of the decoded audio against the original at a given lag.
double correlation(const std::vector<int16_t>& original, const std::vector<int16_t>& decoded,
                   int channels, int ch, long lag, size_t from, size_t count) {
    double sum = 0.0;
    for (size_t i = from; i < from + count; ++i) {
        sum += static_cast<double>(original[i * channels + ch]) * decoded[(i + lag) * 2 + ch];
    }
    return sum;
}

long bestLag(const std::vector<int16_t>& original, const std::vector<int16_t>& decoded,
             int channels, int ch) {
    long best = 0;
    double bestValue = -1e300;
    for (long lag = -1500; lag <= 1500; ++lag) {
        const double value = correlation(original, decoded, channels, ch, lag, 2000, 6000);
        if (value > bestValue) {
            bestValue = value;
            best = lag;
        }
    }
    return best;
}

double relativeError(const std::vector<int16_t>& original, const std::vector<int16_t>& decoded,
                     int channels, int ch, size_t count) {
    double error = 0.0;
    double signal = 0.0;
    for (size_t i = 0; i < count; ++i) {
        const double want = original[i * channels + ch];
        const double diff = decoded[i * 2 + ch] - want;
        error += diff * diff;
        signal += want * want;
    }
    return std::sqrt(error / signal);
}

TEST(Mp3Stream, FirstSampleOfMusicIsFrameZeroAndOnePassIsExactlyTheMusic) {
    const size_t frames = 20000;
    const std::vector<int16_t> original = audiotest::testSignal(frames, 2);
    auto stream = openEncoded(original, 2);
    ASSERT_TRUE(stream);
    const std::vector<int16_t> decoded = readFrames(*stream, frames + 4000);
    // Without the LAME tag's delay the music would start about 1105 frames late.
    EXPECT_EQ(bestLag(original, decoded, 2, 0), 0);
    EXPECT_EQ(bestLag(original, decoded, 2, 1), 0);
    EXPECT_LT(relativeError(original, decoded, 2, 0, 2048), 0.1);
    EXPECT_LT(relativeError(original, decoded, 2, 1, 2048), 0.1);
    EXPECT_EQ(stream->loopFrames(), static_cast<int64_t>(frames));
}

TEST(Mp3Stream, LoopsBackToTheFirstSampleOfMusic) {
    const size_t frames = 9000;
    const std::vector<int16_t> original = audiotest::testSignal(frames, 2);
    auto stream = openEncoded(original, 2);
    ASSERT_TRUE(stream);
    const std::vector<int16_t> decoded = readFrames(*stream, 3 * frames);
    ASSERT_EQ(stream->loopFrames(), static_cast<int64_t>(frames));
    // The second and third passes are the first one again, sample for sample.
    for (size_t pass = 1; pass < 3; ++pass) {
        for (size_t i = 0; i < frames * 2; i += 97) {
            ASSERT_EQ(decoded[pass * frames * 2 + i], decoded[i])
                << "pass " << pass << " sample " << i;
        }
    }
}

TEST(Mp3Stream, SeekLandsOnTheSamplesReadingThroughGivesThere) {
    // Mono, as there the decoder's own seek is off by a step in some samples.
    const size_t frames = 4 * kRate;
    const std::vector<unsigned char> mp3 =
        audiotest::encodeTestMp3(audiotest::testSignal(frames, 1), 1);
    std::string error;
    auto through = openBytes(mp3, error);
    ASSERT_TRUE(through) << error;
    const std::vector<int16_t> reference = readFrames(*through, frames);
    auto stream = openBytes(mp3, error);
    ASSERT_TRUE(stream) << error;
    EXPECT_EQ(stream->lengthFrames(), static_cast<int64_t>(frames));  // from the tag
    // Ahead from the start, back, and ahead from part-way through.
    for (size_t target : {100001u, 30001u, 150000u}) {
        ASSERT_TRUE(stream->seek(static_cast<int64_t>(target)));
        const std::vector<int16_t> got = readFrames(*stream, 5000);
        ASSERT_TRUE(std::equal(got.begin(), got.end(), reference.begin() + target * 2))
            << "at " << target;
    }
    // A pass begun part-way ends where the music does.
    readFrames(*stream, frames - 155000 + 10);
    EXPECT_EQ(stream->loopFrames(), static_cast<int64_t>(frames));
    // Past the end there is nothing to land on: the stream is back at its start.
    EXPECT_FALSE(stream->seek(static_cast<int64_t>(frames) + 1000));
    const std::vector<int16_t> again = readFrames(*stream, 3000);
    EXPECT_TRUE(std::equal(again.begin(), again.end(), reference.begin()));
}

TEST(Mp3Stream, MonoPlaysOnBothChannels) {
    const size_t frames = 12000;
    const std::vector<int16_t> original = audiotest::testSignal(frames, 1);
    auto stream = openEncoded(original, 1);
    ASSERT_TRUE(stream);
    const std::vector<int16_t> decoded = readFrames(*stream, frames);
    EXPECT_EQ(bestLag(original, decoded, 1, 0), 0);
    for (size_t i = 0; i < frames; i += 31) {
        ASSERT_EQ(decoded[i * 2], decoded[i * 2 + 1]);
    }
}

TEST(Mp3Stream, OtherSampleRatesAreResampledToTheDeviceRate) {
    // One second at 48 kHz lasts one second at 44.1 kHz.
    const std::vector<int16_t> original = audiotest::testSignal(48000, 2);
    auto stream = openEncoded(original, 2, 48000);
    ASSERT_TRUE(stream);
    readFrames(*stream, 50000);
    EXPECT_NEAR(static_cast<double>(stream->loopFrames()), 44100.0, 10.0);
}

TEST(Mp3Stream, RefusesDataThatHoldsNoMpegAudio) {
    std::string error;
    EXPECT_FALSE(openBytes({}, error));
    EXPECT_FALSE(error.empty());
    error.clear();
    std::vector<unsigned char> text(5000);
    for (size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<unsigned char>("not an mp3 file\n"[i % 16]);
    }
    EXPECT_FALSE(openBytes(text, error));
    EXPECT_NE(error.find("MP3"), std::string::npos) << error;
}

TEST(Mp3Stream, TruncatedFileLoopsOverWhatIsThere) {
    const std::vector<int16_t> original = audiotest::testSignal(30000, 2);
    std::vector<unsigned char> mp3 = audiotest::encodeTestMp3(original, 2);
    mp3.resize(mp3.size() / 2 + 13);  // cut mid-frame
    std::string error;
    auto stream = openBytes(mp3, error);
    ASSERT_TRUE(stream) << error;
    const std::vector<int16_t> decoded = readFrames(*stream, 70000);
    EXPECT_GT(stream->loopFrames(), 0);
    EXPECT_LT(stream->loopFrames(), 30000);
    EXPECT_EQ(decoded.size(), size_t{140000});
}

TEST(Mp3Stream, DamagedBytesNeverCrashOrStall) {
    const std::vector<unsigned char> clean =
        audiotest::encodeTestMp3(audiotest::testSignal(12000, 2), 2);
    std::mt19937 random(11);
    for (int trial = 0; trial < 20; ++trial) {
        std::vector<unsigned char> damaged = clean;
        std::uniform_int_distribution<size_t> where(0, damaged.size() - 1);
        for (int flip = 0; flip < 40; ++flip) {
            damaged[where(random)] = static_cast<unsigned char>(random());
        }
        std::string error;
        auto stream = openBytes(damaged, error);
        if (stream) {
            // Three passes' worth: whatever decodes, reading ends and fills every frame.
            const std::vector<int16_t> decoded = readFrames(*stream, 36000);
            EXPECT_EQ(decoded.size(), size_t{72000});
        } else {
            EXPECT_FALSE(error.empty());
        }
    }
}

}  // namespace
