// The heard-position clock, driven by hand: device requests and reads at chosen times.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <random>
#include <thread>

#include "audio/stream_clock.h"

namespace {

constexpr int kRate = 44100;
constexpr int64_t kBuffer = 882;        // 20 ms
constexpr int64_t kMs = 1000000;        // nanoseconds per millisecond
constexpr int64_t kStart = 5000 * kMs;  // an arbitrary steady-clock origin

TEST(StreamClock, ZeroUntilTheDeviceAsksThenCountsFromTheFirstSample) {
    StreamClock clock(kRate, 0);
    EXPECT_EQ(clock.positionFrames(kStart), 0.0);
    clock.deviceConsumed(kStart, kBuffer, 0);
    EXPECT_EQ(clock.positionFrames(kStart), 0.0);
    EXPECT_NEAR(clock.positionFrames(kStart + 10 * kMs), 441.0, 1e-6);
    EXPECT_NEAR(clock.positionSeconds(kStart + 15 * kMs), 0.015, 1e-9);
}

TEST(StreamClock, FramesStillQueuedInTheDeviceAreNotHeard) {
    StreamClock clock(kRate, kBuffer);
    clock.deviceConsumed(kStart, kBuffer, 0);
    EXPECT_EQ(clock.positionFrames(kStart + 10 * kMs), 0.0);  // the first buffer waits
    clock.deviceConsumed(kStart + 20 * kMs, kBuffer, 0);
    EXPECT_NEAR(clock.positionFrames(kStart + 30 * kMs), 441.0, 1e-6);
}

TEST(StreamClock, LateDeviceHoldsAtWhatWasHandedAndNeverGoesBack) {
    StreamClock clock(kRate, 0);
    clock.deviceConsumed(kStart, kBuffer, 0);
    // The device is 80 ms late: the position may not run past the buffer it was given.
    EXPECT_EQ(clock.positionFrames(kStart + 100 * kMs), static_cast<double>(kBuffer));
    clock.deviceConsumed(kStart + 100 * kMs, kBuffer, 0);
    EXPECT_EQ(clock.positionFrames(kStart + 100 * kMs), static_cast<double>(kBuffer));
    EXPECT_NEAR(clock.positionFrames(kStart + 110 * kMs), kBuffer + 441.0, 1e-6);
}

TEST(StreamClock, JitteryCallbacksGiveAMonotonicPositionCloseToTheDevice) {
    StreamClock clock(kRate, 0);
    std::mt19937 random(7);
    std::uniform_int_distribution<int64_t> jitter(-3 * kMs, 3 * kMs);
    std::uniform_int_distribution<int64_t> readGap(1 * kMs, 17 * kMs);
    double last = 0.0;
    int64_t readAt = kStart;
    for (int k = 0; k < 500; ++k) {
        const int64_t ideal = kStart + k * 20 * kMs;
        const int64_t callback = k == 0 ? ideal : ideal + jitter(random);
        while (readAt < callback) {
            const double position = clock.positionFrames(readAt);
            ASSERT_GE(position, last) << "callback " << k;
            // Never more than one buffer away from what the device has really consumed.
            ASSERT_NEAR(position, (readAt - kStart) * 1e-9 * kRate, kBuffer + 0.2 * kBuffer);
            last = position;
            readAt += readGap(random);
        }
        clock.deviceConsumed(callback, kBuffer, 0);
    }
    EXPECT_GT(last, 400.0 * kBuffer);
}

TEST(StreamClock, ExtrapolatesAtTheRateTheDeviceReallyTakesFrames) {
    // A device that oversleeps: 882 frames (20 ms of music) every 21 ms.
    StreamClock clock(kRate, 0);
    int64_t t = kStart;
    for (int k = 0; k < 40; ++k, t += 21 * kMs) {
        clock.deviceConsumed(t, kBuffer, 0);
    }
    const double atRequest = clock.positionFrames(t - 21 * kMs);
    const double halfway = clock.positionFrames(t - 21 * kMs + 21 * kMs / 2);
    EXPECT_NEAR(halfway - atRequest, kBuffer / 2.0, 2.0);

    // A burst of requests (a device refilling its queue at once) cannot make it race: the
    // rate is bounded near nominal. Here the last third of a second held 16 buffers'
    // worth of requests in 180 ms.
    StreamClock bursty(kRate, 0);
    for (int k = 0; k < 24; ++k) {
        bursty.deviceConsumed(kStart + std::min(k, 16) * 20 * kMs, kBuffer, 0);
    }
    const int64_t last = kStart + 16 * 20 * kMs;
    const double base = bursty.positionFrames(last);
    EXPECT_LE(bursty.positionFrames(last + 10 * kMs) - base, 1.1 * 441.0 + 1e-6);
}

TEST(StreamClock, WrapsToZeroWhenTheStreamLoops) {
    const int64_t loop = 2000;  // frames in one pass
    StreamClock clock(kRate, 0);
    clock.deviceConsumed(kStart, kBuffer, 0);
    clock.deviceConsumed(kStart + 20 * kMs, kBuffer, 0);
    // The third buffer crosses the loop point; the decoder now knows the pass length.
    clock.deviceConsumed(kStart + 40 * kMs, kBuffer, loop);
    EXPECT_NEAR(clock.positionFrames(kStart + 40 * kMs), 2 * kBuffer, 1e-6);
    const double justBefore =
        clock.positionFrames(kStart + 40 * kMs + (loop - 2 * kBuffer - 1) * kMs / 44.1);
    EXPECT_GT(justBefore, loop - 2.0);
    EXPECT_LT(justBefore, static_cast<double>(loop));
    EXPECT_NEAR(clock.positionFrames(kStart + 60 * kMs), 3 * kBuffer - loop, 1e-6);
}

TEST(StreamClock, RestartCountsFromTheNewPlaceOnceTheQueuedSoundHasPlayed) {
    const int64_t loop = 3000;
    StreamClock clock(kRate, kBuffer);  // a device keeping one buffer queued
    for (int k = 0; k < 3; ++k) {
        clock.deviceConsumed(kStart + k * 20 * kMs, kBuffer, loop);
    }
    EXPECT_NEAR(clock.positionFrames(kStart + 50 * kMs), kBuffer + 441.0, 1e-6);
    clock.restartAt(2500);
    EXPECT_EQ(clock.positionFrames(kStart + 50 * kMs), 2500.0);  // nothing from before
    // The buffer queued before the restart is the old place's sound: it plays first.
    clock.deviceConsumed(kStart + 60 * kMs, kBuffer, loop);
    EXPECT_EQ(clock.positionFrames(kStart + 70 * kMs), 2500.0);
    clock.deviceConsumed(kStart + 80 * kMs, kBuffer, loop);
    EXPECT_NEAR(clock.positionFrames(kStart + 90 * kMs), 2500.0 + 441.0, 1e-6);
    // Counted on from the new place, the loop point wraps it as before.
    EXPECT_NEAR(clock.positionFrames(kStart + 95 * kMs), 2500.0 + 661.5 - loop, 1e-6);
}

// A device lost at 30 ms, and another that keeps a buffer queued found at 130 ms: the
// position runs on by the clock in between, and follows the new device once its sound is
// heard, whichever way the guess of where that will be was wrong.
TEST(StreamClock, RunsFreeWithoutADeviceAndRejoinsTheNextWithoutAStepBack) {
    for (const int64_t guessedMs : {140, 160}) {  // early, late: the sound is heard at 150 ms
        StreamClock clock(kRate, 0);
        clock.deviceConsumed(kStart, kBuffer, 0);
        clock.deviceConsumed(kStart + 20 * kMs, kBuffer, 0);
        clock.runFree(kStart + 30 * kMs);
        EXPECT_NEAR(clock.positionFrames(kStart + 30 * kMs), 30 * 44.1, 1e-6);
        // The lost device's last request is forgotten: no cap, and nothing from it later.
        clock.deviceConsumed(kStart + 40 * kMs, kBuffer, 0);
        EXPECT_NEAR(clock.positionFrames(kStart + 130 * kMs), 130 * 44.1, 1e-6);

        const auto guess = static_cast<int64_t>(guessedMs * 44.1);
        clock.useDevice(kBuffer);
        clock.rejoinAt(guess);
        EXPECT_NEAR(clock.positionFrames(kStart + 135 * kMs), 135 * 44.1, 1e-6);
        clock.deviceConsumed(kStart + 130 * kMs, kBuffer, 0);  // its first buffer, queued
        EXPECT_NEAR(clock.positionFrames(kStart + 145 * kMs), 145 * 44.1, 1e-6);
        clock.deviceConsumed(kStart + 150 * kMs, kBuffer, 0);  // now heard
        const double rejoined = clock.positionFrames(kStart + 150 * kMs);
        EXPECT_EQ(rejoined, std::max(150 * 44.1, static_cast<double>(guess)));
        EXPECT_NEAR(clock.positionFrames(kStart + 165 * kMs), guess + 15 * 44.1, 1e-6);
        EXPECT_FALSE(clock.runningFree());
    }
}

TEST(StreamClock, ModuleEntryReportsWholeSecondsOnly) {
    StreamClock clock(kRate, 0);
    clock.deviceConsumed(kStart, 1500 * 441 / 10, 0);  // 1.5 s of frames in one buffer
    const int64_t at1500 = kStart + 1500 * kMs;
    EXPECT_EQ(clock.positionMilliseconds(at1500), 1500);
    EXPECT_DOUBLE_EQ(clock.positionSeconds(at1500), 1.5);
    EXPECT_EQ(wholeSecondsFromMilliseconds(clock.positionMilliseconds(at1500)), 1.0);
    EXPECT_EQ(wholeSecondsFromMilliseconds(999), 0.0);
    EXPECT_EQ(wholeSecondsFromMilliseconds(2000), 2.0);
    EXPECT_EQ(wholeSecondsFromMilliseconds(-1500), -1.0);  // truncates toward zero
}

TEST(StreamClock, ReaderSeesConsistentAnchorsWhileTheAudioThreadWrites) {
    StreamClock clock(kRate, 0);
    std::atomic<bool> done{false};
    std::thread audio([&] {
        for (int64_t k = 0; k < 20000; ++k) {
            clock.deviceConsumed(kStart + k * 20 * kMs, kBuffer, 0);
        }
        done = true;
    });
    // Reading "far in the future" always gives exactly what has been handed so far; a torn
    // anchor (time of one request, count of another) would show as a non-multiple of the
    // buffer or a step back.
    double last = 0.0;
    while (!done) {
        const double position = clock.positionFrames(kStart + (int64_t{1} << 60));
        ASSERT_GE(position, last);
        ASSERT_EQ(static_cast<int64_t>(position) % kBuffer, 0);
        last = position;
    }
    audio.join();
}

}  // namespace
