// The show's clock: the music position, read once per frame, and the frame rate measured
// from it once a second.
//
// `demoTime` is seconds of music (double). `measuredFps` is frames counted in the last
// completed one-second window (100 until the first window closes). Quantities that must move
// at a speed per second advance each frame by speed / measuredFps; see `perSecond`.
#pragma once

struct DemoClock {
    double demoTime = 0.0;
    float measuredFps = 100.0f;
    float frameCount = 0.0f;
    float windowStart = 0.0f;
    bool windowOpen = false;

    // Run at the start of every frame. A window opens at a frame, counts it and every later
    // frame, and closes (publishing its count) at the first frame at least one second of music
    // past the opening frame, so a stall closes it with the frames seen, never with 0.
    void measureFrameRate();

    // The amount to add this frame to something moving at `speed` units per second.
    float perSecond(float speed) const { return speed / measuredFps; }
};

// The show ends after this much music; the frame that sees a later time posts quit code 1.
constexpr double kShowLengthSeconds = 175.5;
inline bool showIsOver(double demoTime) { return demoTime > kShowLengthSeconds; }
