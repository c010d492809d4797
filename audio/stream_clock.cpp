#include "audio/stream_clock.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

StreamClock::StreamClock(int sampleRate, int64_t queuedFrames)
    : rate_(sampleRate > 0 ? sampleRate : 1), queued_(queuedFrames > 0 ? queuedFrames : 0) {}

void StreamClock::deviceConsumed(int64_t nowNs, int64_t frames, int64_t loopFrames) {
    Anchor a;
    a.timeNs = nowNs;
    a.heard = std::max<int64_t>(0, handed_ - queued_);
    handed_ += std::max<int64_t>(0, frames);
    a.nextHeard = std::max<int64_t>(0, handed_ - queued_);
    a.loopFrames = std::max<int64_t>(0, loopFrames);
    a.origin = startFrame_;
    a.framesPerNs = measuredRate(nowNs, a.heard);
    a.valid = true;
    publish(a);
}

void StreamClock::restartAt(int64_t frame) {
    beginAt(frame);
    floor_ = static_cast<double>(startFrame_);
    free_ = false;
    rejoin_ = false;
}

void StreamClock::rejoinAt(int64_t frame) {
    if (!free_) {
        restartAt(frame);
        return;
    }
    beginAt(frame);
    rejoin_ = true;
}

void StreamClock::beginAt(int64_t frame) {
    handed_ = 0;
    requests_ = 0;  // the rate window would mix frames counted from two origins
    startFrame_ = std::max<int64_t>(0, frame);
    Anchor a;
    a.origin = startFrame_;
    publish(a);
}

void StreamClock::runFree(int64_t nowNs) {
    if (free_) {
        return;
    }
    positionFrames(nowNs);  // brings the floor up to now: the free run starts where it stands
    free_ = true;
    freeFrom_ = floor_;
    freeSinceNs_ = nowNs;
}

double StreamClock::measuredRate(int64_t nowNs, int64_t heard) {
    const double nominal = rate_ * 1e-9;
    const int slot = static_cast<int>(requests_ % kRateWindow);
    const bool windowFull = requests_ >= kRateWindow;
    const int64_t oldTime = windowTimeNs_[slot];
    const int64_t oldHeard = windowHeard_[slot];
    windowTimeNs_[slot] = nowNs;
    windowHeard_[slot] = heard;
    ++requests_;
    if (!windowFull || nowNs <= oldTime || heard <= oldHeard) {
        return nominal;
    }
    // Bounded, so a stall or a burst of requests cannot make the position race or crawl.
    const double measured =
        static_cast<double>(heard - oldHeard) / static_cast<double>(nowNs - oldTime);
    return std::clamp(measured, 0.9 * nominal, 1.1 * nominal);
}

void StreamClock::publish(const Anchor& a) {
    seq_.fetch_add(1, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    timeNs_.store(a.timeNs, std::memory_order_relaxed);
    heard_.store(a.heard, std::memory_order_relaxed);
    nextHeard_.store(a.nextHeard, std::memory_order_relaxed);
    loopFrames_.store(a.loopFrames, std::memory_order_relaxed);
    origin_.store(a.origin, std::memory_order_relaxed);
    framesPerNs_.store(a.framesPerNs, std::memory_order_relaxed);
    valid_.store(a.valid, std::memory_order_relaxed);
    seq_.fetch_add(1, std::memory_order_release);
}

StreamClock::Anchor StreamClock::load() const {
    Anchor a;
    for (;;) {
        const uint64_t before = seq_.load(std::memory_order_acquire);
        if (before & 1u) {
            // The audio thread is mid-write; on a busy machine it may have been preempted.
            std::this_thread::yield();
            continue;
        }
        a.timeNs = timeNs_.load(std::memory_order_relaxed);
        a.heard = heard_.load(std::memory_order_relaxed);
        a.nextHeard = nextHeard_.load(std::memory_order_relaxed);
        a.loopFrames = loopFrames_.load(std::memory_order_relaxed);
        a.origin = origin_.load(std::memory_order_relaxed);
        a.framesPerNs = framesPerNs_.load(std::memory_order_relaxed);
        a.valid = valid_.load(std::memory_order_relaxed);
        std::atomic_thread_fence(std::memory_order_acquire);
        if (seq_.load(std::memory_order_relaxed) == before) {
            return a;
        }
    }
}

double StreamClock::positionFrames(int64_t nowNs) {
    const Anchor a = load();
    if (free_) {
        const double sinceNs = static_cast<double>(std::max<int64_t>(0, nowNs - freeSinceNs_));
        floor_ = std::max(floor_, freeFrom_ + sinceNs * rate_ * 1e-9);
        // Back to the device once its sound is being heard: from the first request with a
        // device that plays as it fills, from the second with one that keeps a buffer queued.
        free_ = !(rejoin_ && a.valid && a.nextHeard > 0);
        rejoin_ = rejoin_ && free_;
    }
    if (!free_ && a.valid) {
        const double sinceNs = static_cast<double>(std::max<int64_t>(0, nowNs - a.timeNs));
        const double extrapolated = static_cast<double>(a.heard) + sinceNs * a.framesPerNs;
        floor_ = std::max(floor_, static_cast<double>(a.origin) +
                                      std::min(extrapolated, static_cast<double>(a.nextHeard)));
    }
    if (a.loopFrames > 0) {
        return std::fmod(floor_, static_cast<double>(a.loopFrames));
    }
    return floor_;
}

int64_t StreamClock::lastRequestNs() const {
    const Anchor a = load();
    return a.valid ? a.timeNs : 0;
}

double StreamClock::positionSeconds(int64_t nowNs) { return positionFrames(nowNs) / rate_; }

int64_t StreamClock::positionMilliseconds(int64_t nowNs) {
    return static_cast<int64_t>(std::floor(positionFrames(nowNs) * 1000.0 / rate_));
}

int64_t steadyNowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

double wholeSecondsFromMilliseconds(int64_t milliseconds) {
    return static_cast<double>(milliseconds / 1000);
}
