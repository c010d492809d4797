// The finale's flashes against the soundtrack as it sounds: the hits are found in the decoded
// inv2.mp3 the build makes, by how sharply its loudness rises, not read from the beat list the
// script uses; a flash that no longer meets its hit, in the list or in the music, fails here.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/mp3_stream.h"
#include "files/whole_file.h"
#include "timeline/demo_script.h"

namespace {

constexpr int kRate = 44100;
constexpr int kStepFrames = 220;  // 5 ms of loudness per step
constexpr double kFinaleStart = 137.0;
constexpr double kFinaleEnd = 176.0;
// A hit: a step at least 10 dB louder than the 30 ms before it, at most one each 100 ms.
constexpr double kRiseDb = 10.0;
constexpr int kStepsBefore = 6;
constexpr int kStepsBetweenHits = 20;
// How far a flash's edge may lie from where a hit's step says: a step, and a step again.
constexpr double kTolerance = 0.010;

double stepSeconds(size_t step) { return static_cast<double>(step) * kStepFrames / kRate; }

// Mean square of both channels in each step, from the music's start to the finale's end.
std::vector<double> stepEnergies(Mp3Stream& music) {
    std::vector<double> energies;
    std::vector<int16_t> frames(kStepFrames * 2);
    while (stepSeconds(energies.size()) < kFinaleEnd) {
        music.read(frames.data(), kStepFrames);
        double sum = 1.0;  // no step is silent to the logarithm
        for (int16_t sample : frames) sum += static_cast<double>(sample) * sample;
        energies.push_back(sum / frames.size());
    }
    return energies;
}

std::vector<double> hitsInFinale(const std::vector<double>& energies) {
    std::vector<double> hits;
    size_t last = 0;
    for (size_t k = kStepsBefore; k < energies.size(); ++k) {
        if (stepSeconds(k) < kFinaleStart || (!hits.empty() && k - last <= kStepsBetweenHits)) continue;
        double before = 0.0;
        for (size_t j = k - kStepsBefore; j < k; ++j) before += energies[j] / kStepsBefore;
        if (10.0 * std::log10(energies[k] / before) < kRiseDb) continue;
        hits.push_back(stepSeconds(k));
        last = k;
    }
    return hits;
}

TEST(Beats, EveryFlashIsOnWhileAHitHeardInTheSoundtrackIsYoungerThanAWindow) {
    std::vector<uint8_t> bytes;
    const std::string path = DEMO_SOUNDTRACK_FILE;
    ASSERT_EQ(files::readWholeFile(path, size_t{256} << 20, bytes), "") << path;
    std::string error;
    std::unique_ptr<Mp3Stream> music =
        Mp3Stream::open(std::vector<unsigned char>(bytes.begin(), bytes.end()), kRate, error);
    ASSERT_TRUE(music) << error;
    music->setLooping(false);
    const std::vector<double> hits = hitsInFinale(stepEnergies(*music));
    ASSERT_EQ(hits.size(), 37u) << "the finale's hits, as heard";
    const double window = static_cast<double>(beatWindow);
    // Every millisecond of the finale: on well inside a hit's window, off well outside all.
    for (int ms = static_cast<int>(kFinaleStart * 1000); ms <= static_cast<int>(kFinaleEnd * 1000); ++ms) {
        const double t = ms / 1000.0;
        bool ringing = false, near = false;
        for (double hit : hits) {
            ringing = ringing || (hit + kTolerance <= t && t < hit + window - kTolerance);
            near = near || (hit - kTolerance <= t && t < hit + window + kTolerance);
        }
        if (ringing) {
            ASSERT_TRUE(insideBeatWindow(t)) << "no flash at " << t << " s, while a hit rings";
        } else if (!near) {
            ASSERT_FALSE(insideBeatWindow(t)) << "a flash at " << t << " s, with no hit heard";
        }
    }
}

}  // namespace
