#include <gtest/gtest.h>

#include <cstdint>

#include "timeline/frame_timer.h"

namespace {

// A fake millisecond counter that advances by one on every read.
uint32_t fakeNow = 0;
int fakeReads = 0;
uint32_t fakeTicks() {
    ++fakeReads;
    return fakeNow++;
}

TEST(FrameTimer, WaitsAtLeastTenTicksAtOneHundredFramesPerSecond) {
    fakeNow = 5000;
    fakeReads = 0;
    FrameTimer timer;
    timer.tickSource = fakeTicks;
    timer.tick(100.0);
    // Start read at 5000; the spin ends on the first read showing 10 ticks elapsed.
    EXPECT_EQ(fakeNow, 5011u);
    EXPECT_EQ(timer.ticksPerSecond, 1000.0);
    EXPECT_EQ(timer.startTicks, 0.0) << "reset outside a wait";
}

TEST(FrameTimer, EndsAcrossTheThirtyTwoBitWrap) {
    fakeNow = 0xFFFFFFFAu;
    FrameTimer timer;
    timer.tickSource = fakeTicks;
    timer.tick(100.0);
    EXPECT_EQ(fakeNow, 5u) << "10 ticks past a start 6 ticks before the wrap";
}

TEST(FrameTimer, RealCounterWaitsAtLeastTheFrameTime) {
    FrameTimer timer;
    const uint32_t before = systemTickCount();
    timer.tick(100.0);
    EXPECT_GE(static_cast<uint32_t>(systemTickCount() - before), 10u);
}

}  // namespace
