// The show: one hard-coded frame function driven only by the music clock.
//
// `renderFrame` reads `demoTime` and `measuredFps` from the clock, decides from fixed time
// thresholds what to draw and advances the script's own variables. Levels are colour values
// (0..1, not clamped: GL clamps them when used); angles are degrees; positions are view units.
// Quantities with a speed per second advance by speed / measuredFps each frame; the others by a
// fixed amount per frame, so their speed follows the frame rate. Nothing is ever reset.
#pragma once

#include <GL/gl.h>

#include "timeline/beat_times.h"
#include "timeline/demo_clock.h"
#include "timeline/show.h"

// The invitation that scrolls across the banner: 167 printable ASCII characters.
extern const char invitationText[];

// Each of the finale's `beatTimes` opens a flash window of `beatWindow` seconds.
constexpr float beatWindow = 0.4f;
bool insideBeatWindow(double demoTime);

class DemoScript {
public:
    DemoScript(DemoClock& clock, Show& show) : clock_(clock), show_(show) {}

    // Draws one frame into the back buffer; the caller swaps.
    void renderFrame();

    // Whether the frames from now on have their GL calls going nowhere (a fast-forward). Every
    // effect still advances exactly as when drawn; the ones that emit geometry by the thousand
    // vertices (the cloud's and the tube's sprites, the banner's sheet) then leave it out.
    void setFramesUnseen(bool unseen);

    // Set by the frame that sees the end of the show: the exit code to post.
    bool quitRequested() const { return quitRequested_; }
    int quitCode() const { return quitCode_; }

    // First act.
    float layerCLevel = 0.0f;
    int pulseDirection = 1;
    float layerBLevel = 0.0f;
    float layerALevel = 0.0f;
    float scrollPosition = 0.0f;
    float bannerPhase = 0.0f;
    float knotDepth = 0.0f;

    // Finale and frame tail.
    float finaleAngle = 0.0f;
    // The finale backdrop in use: the first finale frame reads it from the slot, so a script
    // made before start-up still shows the loaded picture; 0 until then.
    GLuint finaleBackdrop = 0;

    // What the last frame did: for tests and the show benchmark.
    struct FrameReport {
        bool firstAct = false;
        bool backdropC = false;
        bool particles = false;
        bool tube = false;
        bool scrollerCapture = false;
        bool banner = false;
        bool knot = false;
        bool thumbnailStrip = false;
        bool insideView = false;
        int glowPasses = 0;
    };
    const FrameReport& lastFrame() const { return report_; }

private:
    void frameStart();
    void firstAct();
    void captureScroller();
    void advanceLayerC();
    void secondBackdropAndCloud();
    void tubeObject();
    void thirdBackdrop();
    void banner();
    void knotFlight();
    void finale();
    void drawTubeInGlowBlock();
    void backdropLayers();
    void frameTail();

    bool scrollerRunning() const;
    // The 60-degree projection over the whole frame.
    void fullView() const;
    double now() const { return clock_.demoTime; }

    DemoClock& clock_;
    Show& show_;
    FrameReport report_;
    bool finaleStarted_ = false;
    bool quitRequested_ = false;
    int quitCode_ = 0;
};
