#include "app/fast_forward.h"

FrameUse frameUseAhead(long framesBefore) {
    if (framesBefore == 0) return FrameUse::Shown;
    return framesBefore <= kSettlingFrames ? FrameUse::Settling : FrameUse::Skipped;
}

FrameModes::~FrameModes() {
    // Whatever frame it ended on (a wait given up mid-way), the script draws its next one whole.
    script_.setFramesUnseen(false);
    calls_.on();
    if (!surface_.rasterising()) surface_.setRasterising(true);
}

void FrameModes::set(FrameUse use) {
    script_.setFramesUnseen(use == FrameUse::Skipped);
    if (use == FrameUse::Skipped) {
        calls_.off();
        return;
    }
    calls_.on();
    const bool rasterising = use == FrameUse::Shown;
    if (surface_.rasterising() != rasterising) surface_.setRasterising(rasterising);
}
