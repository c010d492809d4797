// The loops that take the window's messages: the show's main loop, non-blocking, one message
// per pass and a frame whenever none waits; and the wait before a late start, which runs its
// work in small steps and looks at the messages between them, so that Escape, a close or a stop
// signal is acted on at once rather than when the work is done.
#pragma once

#include <chrono>
#include <functional>
#include <optional>

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

// Takes and dispatches every waiting message (the window procedure's work: Escape, a close
// and a stop signal post the quit). Returns the quit's code when the quit was among them.
std::optional<int> takeMessages(DemoWindow& window);

struct WaitHooks {
    std::function<bool()> step;          // one small piece of the work; false once all is done
    std::function<void()> drawProgress;  // into the window's back buffer; the wait swaps it
};

// How long the wait runs steps between looks at the messages, and between redraws of its
// progress. A person pressing Escape, or a service manager waiting for the stop it asked for,
// should not notice a delay; a redraw costs a swap, which may wait for the display.
constexpr std::chrono::milliseconds kWaitMessageInterval{20};
constexpr std::chrono::milliseconds kWaitDrawInterval{100};

// Runs `step` until it reports the work done; draws the progress first and then every
// kWaitDrawInterval, and takes the messages every kWaitMessageInterval, or after the step in
// which a stop signal came. Returns the quit's code when a quit ends the wait first (0 for
// Escape or a close, 128 + the signal for a stop), nothing when the work got done.
std::optional<int> runWaitLoop(DemoWindow& window, const WaitHooks& hooks);
