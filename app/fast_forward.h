// How the show is brought to a later time (the capture's --from and --step, the demo's --start):
// the script runs over every earlier frame, since the show's state depends on each of them, but
// a frame whose pixels nobody wants runs with its GL calls going nowhere (platform/gl_calls_off.h).
// The script and the effects keep their state on the CPU and read nothing back from GL, so they
// advance exactly as when drawn, at the cost of the script's own work alone; the effects that
// emit thousands of vertices a frame are told, and leave them out (DemoScript::setFramesUnseen),
// since even calls that go nowhere cost a few nanoseconds each.
//
// What such a frame does not do is leave GL as a drawn frame would: the next frame starts from
// whatever the previous one left (blending, depth, the bound texture, the current colour). So
// the frame just before a shown one runs with its calls but no pixels (everything it draws or
// clears falls outside an empty scissor box): every state a frame starts from is set again by
// the frame before it, so that one frame puts GL where a drawn run has it. The corner captures
// (the banner's text, the glow's scene) are taken afresh in the frame that shows them.
#pragma once

#include "gl/drawing_surface.h"
#include "platform/gl_calls_off.h"
#include "timeline/demo_script.h"

enum class FrameUse {
    Shown,     // drawn: its pixels are wanted
    Settling,  // GL calls made, no pixel touched: the frame before a shown one
    Skipped,   // GL calls go nowhere
};

// How many frames before a shown one settle GL.
constexpr long kSettlingFrames = 1;

// The use of a frame `framesBefore` frames ahead of the next shown frame (0: that frame itself;
// anything above kSettlingFrames: none shown soon).
FrameUse frameUseAhead(long framesBefore);

// Sets GL, the surface and the script up for each frame's use. Made with the show's context
// current, and leaves it current and rasterising, and the script drawing everything; the script
// outlives it.
class FrameModes {
public:
    FrameModes(DrawingSurface& surface, DemoScript& script) : surface_(surface), script_(script) {}
    ~FrameModes();
    FrameModes(const FrameModes&) = delete;
    FrameModes& operator=(const FrameModes&) = delete;

    void set(FrameUse use);
    // GL calls reach the context again (to draw something between frames); the next `set`
    // decides again.
    void callsOn() { calls_.on(); }

private:
    DrawingSurface& surface_;
    DemoScript& script_;
    GlCallSwitch calls_;
};
