// The show played against a simulated music clock, frame by frame, in a hidden context: how
// invitation-capture renders it and how the show benchmark times it, so frame N is the same picture
// in both.
//
// Frame N is drawn at N * rateDenominator / rateNumerator seconds of music. The script must
// run every frame from 0 s, since the show's state depends on every earlier frame; a frame
// whose pixels nobody needs runs with its GL calls going nowhere (app/fast_forward.h), which
// advances the script and the effects exactly as a drawn frame does. Nothing here reads a real
// clock, so the same frames give the same pictures.
#pragma once

#include <memory>
#include <string>

#include "app/fast_forward.h"
#include "gl/drawing_surface.h"
#include "platform/gl_context.h"
#include "timeline/demo_clock.h"
#include "timeline/demo_script.h"
#include "timeline/show.h"

// Seconds of music at which frame `frame` is drawn.
double simulatedFrameTime(long frame, long rateNumerator, long rateDenominator);

// A hidden context of width x height with the GL state the show's window starts with, ready
// for `loadShow`. Null, with the reason in *error, when no context can be had.
std::unique_ptr<GlContext> openShowContext(int width, int height, std::string* error);

class SimulatedShow {
public:
    // `show` loaded and `surface` made for its frame, in the current context. A fresh clock
    // and script: the show's own state is the caller's (see ShowStartState to start over).
    SimulatedShow(Show& show, DrawingSurface& surface, long rateNumerator, long rateDenominator);

    // Sets the clock to the frame's time and runs the script's frame for `use`; the caller reads
    // or presents a shown frame's pixels. A shown frame after skipped ones needs a settling
    // frame right before it (see frameUseAhead).
    void runFrame(long frame, FrameUse use = FrameUse::Shown);

    // The script has seen the end of the show and posted its quit.
    bool ended() const { return script_.quitRequested(); }
    const DemoScript::FrameReport& lastFrame() const { return script_.lastFrame(); }
    double frameTime(long frame) const { return simulatedFrameTime(frame, rateNumerator_, rateDenominator_); }

private:
    const long rateNumerator_;
    const long rateDenominator_;
    DemoClock clock_;
    DemoScript script_;
    FrameModes modes_;
};
