// The synthesised soundtrack follows the show: quiet until 15.6 s, louder from the beat on,
// and a hit rising out of the music on every one of the 37 beat times.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "tools/make_soundtrack_score.h"

namespace {

constexpr int kRate = 44100;

// RMS of both channels over [from, to) seconds, in dB of full scale.
double levelDb(const std::vector<int16_t>& pcm, double from, double to) {
    const auto a = static_cast<size_t>(from * kRate) * 2;
    const auto b = std::min(pcm.size(), static_cast<size_t>(to * kRate) * 2);
    double sum = 0.0;
    for (size_t i = a; i < b; ++i) {
        sum += static_cast<double>(pcm[i]) * pcm[i];
    }
    return 10.0 * std::log10(sum / static_cast<double>(b - a) / (32768.0 * 32768.0) + 1e-12);
}

// One test, as rendering takes seconds and each test runs in a process of its own.
TEST(Soundtrack, FollowsTheShow) {
    const std::vector<int16_t> pcm = soundtrack::renderSoundtrack();
    EXPECT_EQ(pcm.size(), static_cast<size_t>(soundtrack::kLengthSeconds * kRate) * 2);

    const double pulse = levelDb(pcm, 1.0, 15.5);
    const double beat = levelDb(pcm, 16.0, 45.0);
    const double drop = levelDb(pcm, 78.0, 106.0);
    EXPECT_LT(pulse, beat - 8.0);
    EXPECT_LT(beat, drop);
    EXPECT_GT(pulse, -40.0);  // quiet, not silent

    const std::vector<double>& beats = soundtrack::beatTimes();
    ASSERT_EQ(beats.size(), 37u);
    for (double t : beats) {
        const double before = levelDb(pcm, t - 0.03, t);
        const double after = levelDb(pcm, t, t + 0.03);
        EXPECT_GT(after - before, 10.0) << "beat at " << t;
    }
}

}  // namespace
