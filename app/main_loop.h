// The non-blocking main loop: one message per pass; when none waits, draw a frame, swap,
// read the music clock and let the frame pacer hold the loop for 10 ms.
#pragma once

#include <functional>

#include "platform/demo_window.h"
#include "timeline/demo_clock.h"
#include "timeline/frame_timer.h"

struct FrameHooks {
    std::function<void()> renderFrame;          // draws into the back buffer
    std::function<double()> musicTimeSeconds;   // becomes demoTime after each swap
};

// Frames per second the pacer allows at most.
constexpr double kFramePacingRate = 100.0;

// Runs until a quit message is taken; returns its code.
int runMainLoop(DemoWindow& window, DemoClock& clock, FrameTimer& timer, const FrameHooks& hooks);
