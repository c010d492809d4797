#include <gtest/gtest.h>

#include "timeline/demo_clock.h"

namespace {

// Feeds frames at a steady rate through the measurement, as the main loop would.
void runFrames(DemoClock& clock, double fps, int frames) {
    for (int i = 0; i < frames; ++i) {
        clock.measureFrameRate();
        clock.demoTime += 1.0 / fps;
    }
}

TEST(DemoClock, FirstFrameSeesZeroTimeAndTheAssumedRate) {
    DemoClock clock;
    clock.measureFrameRate();
    EXPECT_EQ(clock.demoTime, 0.0);
    EXPECT_EQ(clock.measuredFps, 100.0f);
    EXPECT_TRUE(clock.windowOpen);
}

TEST(DemoClock, SteadyFiftyFramesMeasureAboutFiftyAfterOneSecond) {
    DemoClock clock;
    runFrames(clock, 50.0, 50);
    EXPECT_EQ(clock.measuredFps, 100.0f) << "the first window is still open";
    runFrames(clock, 50.0, 2);
    // The closing frame is counted in the window it closes.
    EXPECT_NEAR(clock.measuredFps, 51.0f, 1.0f);
    EXPECT_NEAR(clock.perSecond(60.0f), 60.0f / 51.0f, 0.05f);
}

TEST(DemoClock, AJumpOfSecondsClosesTheWindowWithTheFramesSeen) {
    DemoClock clock;
    runFrames(clock, 100.0, 3);
    clock.demoTime += 5.0;
    clock.measureFrameRate();
    EXPECT_EQ(clock.measuredFps, 4.0f);
    EXPECT_FALSE(clock.windowOpen);
    clock.measureFrameRate();
    EXPECT_TRUE(clock.windowOpen) << "the next frame opens a new window";
    EXPECT_EQ(clock.frameCount, 1.0f);
}

TEST(DemoClock, AStoppedStreamKeepsTheLastRate) {
    DemoClock clock;
    runFrames(clock, 30.0, 40);
    const float measured = clock.measuredFps;
    for (int i = 0; i < 500; ++i) clock.measureFrameRate();
    EXPECT_EQ(clock.measuredFps, measured);
}

TEST(DemoClock, TheShowEndsStrictlyAfter175AndAHalfSeconds) {
    EXPECT_FALSE(showIsOver(175.5));
    EXPECT_TRUE(showIsOver(175.501));
    EXPECT_FALSE(showIsOver(0.0));
}

}  // namespace
