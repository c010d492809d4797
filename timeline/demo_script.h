// The show: one hard-coded frame function driven only by the music clock.
#pragma once

#include "timeline/demo_clock.h"

class DemoScript {
public:
    explicit DemoScript(DemoClock& clock) : clock_(clock) {}

    // Draws one frame into the back buffer; the caller swaps.
    void renderFrame();

    // Set by the frame that sees the end of the show: the exit code to post.
    bool quitRequested() const { return quitRequested_; }
    int quitCode() const { return quitCode_; }

    float finaleAngle = 0.0f;  // degrees, advanced at 60 per second in every frame

private:
    void frameStart();
    void frameTail();

    DemoClock& clock_;
    bool quitRequested_ = false;
    int quitCode_ = 0;
};
