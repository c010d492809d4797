// The finale's flashes against the soundtrack's hits: both come from one beat list, so a beat
// moved on one side only (a flash that no longer meets its hit) fails here.
#include <gtest/gtest.h>

#include <vector>

#include "timeline/demo_script.h"
#include "tools/make_soundtrack_score.h"

namespace {

TEST(Beats, EveryFlashIsOnExactlyWhileAHitOfTheSoundtrackIsYoungerThanAWindow) {
    const std::vector<double>& hits = soundtrack::beatTimes();
    ASSERT_EQ(hits.size(), 37u);
    const double window = static_cast<double>(beatWindow);
    // Every millisecond from before the first hit to past the last one's window.
    for (int ms = 137000; ms <= 176000; ++ms) {
        const double t = ms / 1000.0;
        bool ringing = false;
        for (double hit : hits) ringing = ringing || (hit <= t && t < hit + window);
        ASSERT_EQ(insideBeatWindow(t), ringing) << "at " << t << " s";
    }
}

}  // namespace
