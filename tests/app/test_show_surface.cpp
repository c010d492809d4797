// The show drawn through its own surface, rewound to its start, at a sharper scale, and made
// again as a second show in the same process.
#include <gtest/gtest.h>

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/fast_forward.h"
#include "app/late_start.h"
#include "app/show_start_state.h"
#include "app/startup.h"
#include "gl/drawing_surface.h"
#include "tests/support/gl_test_context.h"
#include "texture/framebuffer_capture.h"
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

    // Plays the simulated clock up to `seconds` as a late start does (app/fast_forward.h),
    // touching pixels only in the last frame, and returns that frame as read from `surface`;
    // with `bound` false, whatever framebuffer is bound is drawn into and nothing is read.
    // `betweenFrames`, when given, runs after each frame before the last, with GL calls on.
    Pixels playTo(double seconds, DrawingSurface& surface, bool bound = true,
                  const std::function<void()>& betweenFrames = nullptr) {
        if (bound) surface.bind();
        long shown = 0;
        while ((shown + 1) / kRate <= seconds) ++shown;
        FrameModes modes(surface, *script);
        for (long frame = 0; frame <= shown; ++frame) {
            modes.set(frameUseAhead(shown - frame));
            clock.demoTime = frame / kRate;
            script->renderFrame();
            if (frame == shown || !betweenFrames) continue;
            modes.callsOn();
            betweenFrames();
        }
        return bound ? surface.readRgb() : Pixels{};
    }

    void startOver() {
        startState->restore(*show);
        clock = DemoClock{};
        script = std::make_unique<DemoScript>(clock, *show);
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
        testsupport::saveForLooking("surface_" + std::to_string(static_cast<int>(seconds)) + ".png", offscreen, 800, 600);

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

// The wait before a late start draws its bar into the window between the frames it skips. The
// first frame shown must not differ by a bit from one reached without the bar, whether the
// show draws into its surface or straight into the window the bar is drawn in: a state the bar
// left changed, or a capture that kept its pixels, would show. 112 s reaches the banner's
// capture and the finale's glow.
TEST_F(ShowSurface, TheWaitsBarLeavesTheFirstFrameShownUnchanged) {
    const auto bar = [] { drawWaitBar(800, 600, 0.5); };
    for (const bool straight : {false, true}) {
        DrawingSurface surface;
        ASSERT_TRUE(surface.create(FrameSize{}, nullptr));
        const auto frameAfterWait = [&](const std::function<void()>& betweenFrames) {
            startOver();
            if (straight) glBindFramebuffer(GL_FRAMEBUFFER, 0);
            const Pixels pixels = playTo(112.0, surface, !straight, betweenFrames);
            if (!straight) return pixels;
            glReadBuffer(GL_BACK);
            return captureFramebufferRgb(800, 600);
        };
        const Pixels plain = frameAfterWait(nullptr);
        const Pixels withBar = frameAfterWait(bar);
        EXPECT_TRUE(plain == withBar) << (straight ? "in the window" : "in the surface") << ": PSNR "
                                      << psnr(plain, withBar) << " dB";
    }
    startOver();
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

// A sharper frame draws its text and its glow scene into blocks of the frame's scale, and
// the copies give the textures that size; otherwise the banner and the glow stay as coarse as
// at 800x600 however large the frame.
TEST_F(ShowSurface, CaptureTexturesFollowTheFrameScale) {
    const FrameSize designed = show->frame;
    show->frame = FrameSize::atScale(2.0);
    DrawingSurface surface;
    ASSERT_TRUE(surface.create(show->frame, nullptr));
    const auto textureWidth = [](GLuint texture) {
        GLint width = 0;
        glBindTexture(GL_TEXTURE_2D, texture);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        return width;
    };
    playTo(60.0, surface);
    EXPECT_EQ(textureWidth(show->state.scrollerTexture), 256);
    playTo(140.0, surface);
    EXPECT_EQ(textureWidth(show->glow.captureTexture), 256);
    show->frame = designed;
}

// A show of its own, from start-up to its end at kRate frames a second, with pixels only in
// the frames numbered in `wanted` (in ascending order), which it returns; released afterwards.
// It starts from the GL state it found and leaves it so: what one show leaves in GL is the
// context's, not the show's.
std::vector<Pixels> playWholeShow(const std::vector<long>& wanted) {
    std::vector<Pixels> frames;
    Show show;
    const std::string error = loadShow(show);
    DrawingSurface surface;
    if (!error.empty() || !surface.create(show.frame, nullptr)) {
        ADD_FAILURE() << "no show: " << error;
        return frames;
    }
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
    surface.bind();
    DemoClock clock;
    DemoScript script(clock, show);
    for (long frame = 0; !script.quitRequested(); ++frame) {
        const bool drawn = frames.size() < wanted.size() && wanted[frames.size()] == frame;
        surface.setRasterising(drawn);
        clock.demoTime = frame / kRate;
        script.renderFrame();
        if (drawn) frames.push_back(surface.readRgb());
    }
    glPopClientAttrib();
    glPopAttrib();
    releaseShow(show);
    return frames;
}

// Everything a show carries from frame to frame and from start-up on is in its own record: a
// second show made after the first has played to its end and been released draws the first's
// frames again, bit for bit. Anything kept process-wide (the strip's travel, the font, a slot,
// an effect's animation) would start the second show where the first left it. 20 s has the
// backdrops and the cloud; 60 s adds the banner's text and the thumbnail strip.
TEST(ShowRecord, ASecondShowAfterTheFirstIsReleasedDrawsTheSameFrames) {
    REQUIRE_GL();
    const std::vector<long> wanted = {static_cast<long>(20.0 * kRate), static_cast<long>(60.0 * kRate)};
    const std::vector<Pixels> first = playWholeShow(wanted);
    const std::vector<Pixels> second = playWholeShow(wanted);
    ASSERT_EQ(first.size(), wanted.size());
    ASSERT_EQ(second.size(), wanted.size());
    for (size_t i = 0; i < wanted.size(); ++i) {
        testsupport::saveForLooking("second_show_" + std::to_string(wanted[i]) + ".png", second[i], 800, 600);
        EXPECT_TRUE(first[i] == second[i]) << "at " << wanted[i] / kRate << " s: PSNR " << psnr(first[i], second[i])
                                           << " dB";
    }
}

}  // namespace
