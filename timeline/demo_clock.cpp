#include "timeline/demo_clock.h"

void DemoClock::measureFrameRate() {
    frameCount += 1.0f;
    if (!windowOpen) {
        windowStart = static_cast<float>(demoTime);
        windowOpen = true;
    }
    if (windowStart + 1.0 <= demoTime) {
        measuredFps = frameCount;
        frameCount = 0.0f;
        windowOpen = false;
    }
}
