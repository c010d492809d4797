// The busy-wait pacer ticked after every frame: it returns once at least 1000 / rate
// milliseconds of the system's millisecond counter have passed since the call.
//
// The counter is 32 bits and wraps after about 49.7 days; elapsed time is taken by unsigned
// subtraction, so a wait that straddles the wrap still ends. The wait spins on purpose (no
// sleep): the show's pacing is measured from the end of the frame, at millisecond grain.
#pragma once

#include <cstdint>

// A 32-bit millisecond counter since some fixed moment (monotonic).
using TickSource = uint32_t (*)();
uint32_t systemTickCount();

struct FrameTimer {
    double startTicks = 0.0;      // tick count at the start of the current wait; 0 outside one
    double ticksPerSecond = 0.0;  // 1000, written at each tick
    TickSource tickSource = systemTickCount;

    void tick(double rate);
};
