// The music position as it is heard, derived from what the audio device has consumed.
//
// The audio thread reports each device callback: the steady-clock time at which the device
// asked for more sound and how many sample frames it was handed. Everything handed before
// that request, less what still waits in the device's own queue, has been heard; between two
// requests the position advances with the steady clock, capped at what the next request will
// report, so it runs smoothly and never backwards. The extrapolation runs at the rate the
// device has really been taking frames over its last requests (a dummy device that
// oversleeps is slow; a sound card's crystal is not exactly nominal), so late requests
// rarely leave it waiting at the cap. Positions count from the frame of the stream where
// the device's sound began (the origin: 0 unless playback started or jumped elsewhere).
// Once the decoder has found the length of one pass through the stream, the position wraps
// to 0 at each loop. When the device is gone or the music has ended, the reader lets the
// position run free: on from where it stands, by the steady clock at the nominal rate, until
// the next restart hands it back to a device.
//
// Units: times in steady-clock nanoseconds, positions in sample frames at the device rate.
// Threads: `deviceConsumed` belongs to the audio thread; `positionFrames` and the
// conversions belong to one reader thread (the main loop). The two meet only in the
// published anchor, a sequence-locked set of atomics; the reader's monotonic floor is its
// own. `restartAt` is the reader's, but writes the audio thread's side too, so it may run
// only while `deviceConsumed` cannot: before the device starts, or with the device locked
// (the lock orders those writes before the audio thread's next request). Times are passed
// in, so tests drive the clock without a device.
#pragma once

#include <atomic>
#include <cstdint>

class StreamClock {
public:
    // sampleRate: device frames per second. queuedFrames: frames the device keeps queued
    // after it asks for more (0 for devices that consume a buffer while the next is made).
    StreamClock(int sampleRate, int64_t queuedFrames);

    // Audio thread: at steady time nowNs the device took `frames` more frames of music.
    // loopFrames is the length of one pass of the stream once known, else 0.
    void deviceConsumed(int64_t nowNs, int64_t frames, int64_t loopFrames);

    // Reader thread, audio thread held off: the device's sound from here on begins at
    // `frame` of the stream. What was handed before is forgotten, as sound still queued in
    // the device is not the stream at its new place, and the floor starts again: the one
    // step back the position takes besides the loop's wrap.
    void restartAt(int64_t frame);

    // As restartAt: the device the sound goes to from now on keeps this many frames queued.
    void useDevice(int64_t queuedFrames) { queued_ = queuedFrames > 0 ? queuedFrames : 0; }

    // Reader thread: from nowNs on, the position runs on from where it stands by the steady
    // clock alone, whatever the device reports, until the next restartAt or rejoin.
    void runFree(int64_t nowNs);
    bool runningFree() const { return free_; }

    // As restartAt, for a clock running free: the next device's sound begins at `frame`,
    // which the caller puts about where the free position will be when that sound is first
    // heard. The position runs on freely until then, and from then on follows the device,
    // never stepping back: the guess's error becomes a small step forward or a short halt.
    void rejoinAt(int64_t frame);

    // Reader thread: frames of music heard at steady time nowNs, counted from the stream's
    // first frame, fraction kept, wrapped into the loop once its length is known. The
    // origin until the device has asked for sound.
    double positionFrames(int64_t nowNs);
    double positionSeconds(int64_t nowNs);
    // Whole milliseconds heard (truncated), as a position query in milliseconds reports it.
    int64_t positionMilliseconds(int64_t nowNs);

    // Reader thread: steady time of the device's last request since the last restart; 0
    // when there was none.
    int64_t lastRequestNs() const;

private:
    struct Anchor {
        int64_t timeNs = 0;
        int64_t heard = 0;      // frames heard when the device asked at timeNs
        int64_t nextHeard = 0;  // frames heard when it asks next: the extrapolation cap
        int64_t loopFrames = 0;
        int64_t origin = 0;
        double framesPerNs = 0.0;
        bool valid = false;
    };
    // Requests remembered for the rate estimate: about a third of a second of buffers.
    static constexpr int kRateWindow = 16;
    void beginAt(int64_t frame);  // the audio thread's side of a restart
    double measuredRate(int64_t nowNs, int64_t heard);
    void publish(const Anchor& a);
    Anchor load() const;

    const int rate_;
    int64_t queued_;  // audio thread's (changed only as restartAt may be)

    // Audio thread only (and restartAt).
    int64_t handed_ = 0;
    int64_t startFrame_ = 0;
    int64_t requests_ = 0;
    int64_t windowTimeNs_[kRateWindow] = {};
    int64_t windowHeard_[kRateWindow] = {};

    // Published by the audio thread; odd sequence numbers mark a write in progress.
    std::atomic<uint64_t> seq_{0};
    std::atomic<int64_t> timeNs_{0};
    std::atomic<int64_t> heard_{0};
    std::atomic<int64_t> nextHeard_{0};
    std::atomic<int64_t> loopFrames_{0};
    std::atomic<int64_t> origin_{0};
    std::atomic<double> framesPerNs_{0.0};
    std::atomic<bool> valid_{false};

    // Reader thread only: the furthest point already reported, in frames of the stream
    // (unwrapped), and while running free where and when that began.
    double floor_ = 0.0;
    bool free_ = false;
    bool rejoin_ = false;
    double freeFrom_ = 0.0;
    int64_t freeSinceNs_ = 0;
};

// Steady-clock now in nanoseconds, the time base the clock is fed with in playback.
int64_t steadyNowNs();

// Whole seconds of a millisecond position: integer division first, then conversion,
// so 1500 ms gives 1.0 (the module entry's reporting).
double wholeSecondsFromMilliseconds(int64_t milliseconds);
