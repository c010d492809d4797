// The show drawn through its own surface, rewound to its start, and fast-forwarded: each must
// give the very frame the show has when it is simply played from the start.
#include <gtest/gtest.h>

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/show_start_state.h"
#include "app/startup.h"
#include "platform/drawing_surface.h"
#include "tests/support/gl_test_context.h"
#include "texture/png_writer.h"
#include "timeline/demo_script.h"

namespace {

constexpr double kRate = 10.0;  // frames per second of the simulated clock

using Pixels = std::vector<unsigned char>;

// Peak signal-to-noise ratio of two equally sized RGB frames, dB (infinite when equal).
double psnr(const Pixels& a, const Pixels& b) {
    double sum = 0.0;
    for (size_t i = 0; i < a.size(); ++i) sum += (a[i] - b[i]) * (a[i] - b[i]);
    return sum == 0.0 ? INFINITY : 10.0 * std::log10(255.0 * 255.0 * a.size() / sum);
}

class ShowSurface : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!testsupport::ensureGlContext()) return;
        show = new Show;
        loaded = loadShow(*show).empty();
        startState = new ShowStartState(*show);
    }

    void SetUp() override {
        REQUIRE_GL();
        ASSERT_TRUE(loaded);
        startState->restore(*show);
        clock = DemoClock{};
        script = std::make_unique<DemoScript>(clock, *show);
    }

    // Plays the simulated clock up to `seconds`, touching pixels only in the last frame, and
    // returns that frame as read from `surface`; with `bound` false, whatever framebuffer is
    // bound is drawn into and nothing is read.
    Pixels playTo(double seconds, DrawingSurface& surface, bool bound = true) {
        if (bound) surface.bind();
        long frame = 0;
        surface.setRasterising(false);
        for (; (frame + 1) / kRate <= seconds; ++frame) {
            clock.demoTime = frame / kRate;
            script->renderFrame();
        }
        surface.setRasterising(true);
        clock.demoTime = frame / kRate;
        script->renderFrame();
        return bound ? surface.readRgb() : Pixels{};
    }

    void startOver() {
        startState->restore(*show);
        clock = DemoClock{};
        script = std::make_unique<DemoScript>(clock, *show);
    }

    static void keepForLooking(const Pixels& rgb, const std::string& name) {
        if (const char* dir = std::getenv("DEMO_TEST_FRAMES"))
            writePng(std::string(dir) + "/" + name + ".png", 800, 600, rgb);
    }

    static inline Show* show = nullptr;
    static inline ShowStartState* startState = nullptr;
    static inline bool loaded = false;
    DemoClock clock;
    std::unique_ptr<DemoScript> script;
};

// The banner (its text drawn into the corner block and copied) and the finale's glow (its
// scene captured the same way) come out of the surface as they come out of the window: a copy
// reading the wrong buffer would leave the banner blank or the glow dark. The two buffers'
// formats differ, so the renderer may round a few pixels the other way (measured: at most one
// level on fewer than 40 pixels, PSNR above 80 dB); a missing banner or glow is below 30 dB.
TEST_F(ShowSurface, CornerCapturesReadTheShowsOwnPixels) {
    for (double seconds : {60.0, 140.0}) {
        DrawingSurface surface;
        ASSERT_TRUE(surface.create(FrameSize{}, nullptr));
        const Pixels offscreen = playTo(seconds, surface);
        keepForLooking(offscreen, "surface_" + std::to_string(static_cast<int>(seconds)));

        startOver();
        surface.create(FrameSize{}, nullptr);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        playTo(seconds, surface, /*bound=*/false);
        glReadBuffer(GL_BACK);
        const Pixels window = captureFramebufferRgb(800, 600);
        EXPECT_GT(psnr(offscreen, window), 60.0) << psnr(offscreen, window) << " frame at " << seconds << " s";
        startOver();
    }
}

// A looping show starts over exactly as after start-up: the cloud, the sheet, the tube, the
// strip and the GL state all back where they were.
TEST_F(ShowSurface, StartingOverGivesTheFirstPassFramesAgain) {
    DrawingSurface surface;
    ASSERT_TRUE(surface.create(FrameSize{}, nullptr));
    const Pixels firstPass = playTo(20.0, surface);
    playTo(kShowLengthSeconds + 0.1, surface);
    ASSERT_TRUE(script->quitRequested());

    startOver();
    const Pixels secondPass = playTo(20.0, surface);
    EXPECT_TRUE(firstPass == secondPass) << "PSNR " << psnr(firstPass, secondPass) << " dB";
}

// Frames computed without pixels move the show on exactly as drawn ones.
TEST_F(ShowSurface, FastForwardGivesTheFramesOfAPlayedShow) {
    DrawingSurface surface;
    ASSERT_TRUE(surface.create(FrameSize{}, nullptr));
    std::vector<Pixels> played;
    const std::vector<double> times = {20.0, 90.0, 140.0, 170.0};
    for (long frame = 0; frame / kRate <= times.back(); ++frame) {
        clock.demoTime = frame / kRate;
        script->renderFrame();
        for (double t : times)
            if (std::abs(clock.demoTime - t) < 1e-9) played.push_back(surface.readRgb());
    }
    ASSERT_EQ(played.size(), times.size());
    for (size_t i = 0; i < times.size(); ++i) {
        startOver();
        EXPECT_TRUE(playTo(times[i], surface) == played[i]) << "frame at " << times[i] << " s";
    }
}

}  // namespace
