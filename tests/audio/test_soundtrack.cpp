// The synthesised soundtrack follows the show: quiet until 15.6 s, louder from the beat on,
// a hit rising out of the music on every one of the 37 beat times, the same every run.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "tools/make_soundtrack_score.h"

namespace {

constexpr int kRate = 44100;

class Soundtrack : public testing::Test {
protected:
    static void SetUpTestSuite() { pcm_ = new std::vector<int16_t>(soundtrack::renderSoundtrack()); }
    static void TearDownTestSuite() { delete pcm_; }

    // RMS of both channels over [from, to) seconds, in dB of full scale.
    static double levelDb(double from, double to) {
        const auto a = static_cast<size_t>(from * kRate) * 2;
        const auto b = std::min(pcm_->size(), static_cast<size_t>(to * kRate) * 2);
        double sum = 0.0;
        for (size_t i = a; i < b; ++i) {
            sum += static_cast<double>((*pcm_)[i]) * (*pcm_)[i];
        }
        return 10.0 * std::log10(sum / static_cast<double>(b - a) / (32768.0 * 32768.0) + 1e-12);
    }

    static std::vector<int16_t>* pcm_;
};

std::vector<int16_t>* Soundtrack::pcm_ = nullptr;

TEST_F(Soundtrack, LastsThreeMinutesOfStereo) {
    EXPECT_EQ(pcm_->size(), static_cast<size_t>(soundtrack::kLengthSeconds * kRate) * 2);
}

TEST_F(Soundtrack, QuietPulseUntilTheBeatThenLouder) {
    const double pulse = levelDb(1.0, 15.5);
    const double beat = levelDb(16.0, 45.0);
    const double drop = levelDb(78.0, 106.0);
    EXPECT_LT(pulse, beat - 8.0);
    EXPECT_LT(beat, drop);
    EXPECT_GT(pulse, -40.0);  // quiet, not silent
}

TEST_F(Soundtrack, EveryBeatTimeHasAHitRisingOutOfTheMusic) {
    const std::vector<double>& beats = soundtrack::beatTimes();
    ASSERT_EQ(beats.size(), 37u);
    for (double t : beats) {
        const double before = levelDb(t - 0.03, t);
        const double after = levelDb(t, t + 0.03);
        EXPECT_GT(after - before, 10.0) << "beat at " << t;
    }
}

TEST_F(Soundtrack, IsTheSameOnEveryRun) {
    const std::vector<int16_t> again = soundtrack::renderSoundtrack();
    EXPECT_TRUE(again == *pcm_);
}

}  // namespace
