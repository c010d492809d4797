#include "timeline/frame_timer.h"

#include <chrono>

uint32_t systemTickCount() {
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<uint32_t>(ms);
}

void FrameTimer::tick(double rate) {
    ticksPerSecond = 1000.0;
    const uint32_t start = tickSource();
    startTicks = static_cast<double>(start);
    const double waitTicks = ticksPerSecond / rate;
    while (static_cast<double>(static_cast<uint32_t>(tickSource() - start)) < waitTicks) {
    }
    startTicks = 0.0;
}
