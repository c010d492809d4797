// A late start (--start): the show's state depends on every frame before the start, so the
// script runs over all of them with its GL calls going nowhere (app/fast_forward.h), which takes
// a fraction of a second for a start near the end on a fast machine, longer on a slow one.
// Meanwhile the window is already shown, so that Escape, a close and the stop signals reach the
// program and end it at once, and it shows how far the wait has got: a bar on black. A terminal gets the same as one line redrawn in place.
#pragma once

#include <chrono>
#include <optional>

#include "platform/demo_window.h"
#include "gl/drawing_surface.h"
#include "timeline/demo_clock.h"
#include "timeline/demo_script.h"

// Brings the show to `seconds` by running the script over its frames before it at `rate`
// frames per second, touching no pixel of the show; the clock is left at `seconds`, so the
// first frame shown is the one the show has at that time. Takes the window's messages
// meanwhile (app/main_loop.h): returns the quit's code when Escape, a close or a stop signal
// ends the wait first, nothing when the show got there.
// `frameDelay` is slept after each frame, as a machine that slow would take (for tests).
std::optional<int> bringShowForward(DemoWindow& window, DemoScript& script, DemoClock& clock,
                                    DrawingSurface& surface, double seconds, double rate,
                                    std::chrono::microseconds frameDelay = {});

// Draws the wait into the window's back buffer of width x height pixels: black, with a bar
// across the middle `fraction` (0 to 1) full. Plain clears inside scissor boxes, so no matrix,
// texture or blending is involved; every GL state it changes is put back, the bound
// framebuffer included, so the show's next frame is drawn exactly as if there had been no bar.
void drawWaitBar(int width, int height, double fraction);
