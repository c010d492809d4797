// Start-up and the demo script, run in-process against a simulated music clock. The script's
// own state (and what the frame reports it drew) after a frame at a chosen time tells whether
// each step of the timeline runs exactly when it should.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <dirent.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/startup.h"
#include "assets/embedded_assets.h"
#include "tests/support/gl_test_context.h"
#include "tests/support/temp_folder.h"
#include "timeline/demo_script.h"

namespace {

Show& sharedShow() {
    static Show show;
    return show;
}

// Start-up's scratch directories go into an empty folder, so anything they leave shows.
std::string makeTempDir() {
    const std::string dir = testsupport::tempPath("show-scratch");
    std::filesystem::create_directories(dir);
    return dir;
}

int entriesIn(const std::string& dir) {
    int count = 0;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d))
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") ++count;
        closedir(d);
    }
    return count;
}

class ShowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!testsupport::ensureGlContext()) return;
        scratchParent = makeTempDir();
        StartupOptions options;
        options.scratchParent = scratchParent;
        startupError = loadShow(sharedShow(), options);
        loaded = startupError.empty();
    }

    void SetUp() override {
        REQUIRE_GL();
        ASSERT_TRUE(loaded) << startupError;
        // Every test starts the script afresh, with a tube effect that has not morphed yet.
        Show& show = sharedShow();
        show.tubeEffect = std::make_unique<TubeEffect>();
        const EmbeddedAsset& tube = embeddedAsset(assetTubeObject);
        ASSERT_FALSE(show.tubeEffect->loadTubeEffectFromMemory(tube.bytes, tube.size, "tube",
                                                               show.state.particleTexture));
        script = std::make_unique<DemoScript>(clock, show);
    }

    // One frame at `seconds` of music.
    const DemoScript::FrameReport& frameAt(double seconds) {
        clock.demoTime = seconds;
        script->renderFrame();
        return script->lastFrame();
    }

    static inline std::string scratchParent;
    static inline std::string startupError;
    static inline bool loaded = false;
    DemoClock clock;
    std::unique_ptr<DemoScript> script;
};

TEST_F(ShowTest, StartUpFillsEverySlotInTableOrderAndLeavesNoScratchFiles) {
    const ShowState& state = sharedShow().state;
    std::vector<GLuint> slots = {state.actOneTextureA, state.actOneTextureB, state.actOneTextureC,
                                 state.particleTexture};
    for (GLuint t : state.thumbnailTextures) slots.push_back(t);
    for (GLuint t : state.finaleTextures) slots.push_back(t);
    for (size_t i = 0; i < slots.size(); ++i) {
        EXPECT_TRUE(glIsTexture(slots[i])) << "slot " << i;
        if (i > 0) {
            EXPECT_GT(slots[i], slots[i - 1]) << "slot " << i << " loaded out of order";
        }
    }
    EXPECT_TRUE(glIsTexture(state.scrollerTexture));
    EXPECT_EQ(testsupport::textureRgb(state.finaleTextures[0]), testsupport::textureRgb(sharedShow().glow.pictureTexture))
        << "the glow's picture is the first finale backdrop";
    EXPECT_EQ(entriesIn(scratchParent), 0) << "the scratch directory and files are gone";
    EXPECT_FALSE(sharedShow().knotMesh.polygons.empty());
    EXPECT_FALSE(sharedShow().knotMesh.vertexArray.empty());
    EXPECT_EQ(sharedShow().particles.count, 1920);
}

TEST_F(ShowTest, StartUpFailsCleanlyWithoutAScratchDirectory) {
    Show show;
    StartupOptions options;
    options.scratchParent = "/nonexistent/folder";
    const std::string error = loadShow(show, options);
    EXPECT_NE(error.find("/nonexistent/folder"), std::string::npos) << error;
}

TEST_F(ShowTest, TheFirstFrameDrawsNothingOfTheFirstAct) {
    const auto& frame = frameAt(0.0);
    EXPECT_TRUE(frame.firstAct);
    EXPECT_FALSE(frame.backdropC);
    EXPECT_EQ(script->layerCLevel, 0.0f);
    EXPECT_EQ(testsupport::readPixel(400, 300).r, 0);
}

TEST_F(ShowTest, AtFifteenAndAHalfSecondsThePulseRunsBeforeTheBrightening) {
    script->layerCLevel = 0.3f;
    frameAt(15.5);
    EXPECT_FLOAT_EQ(script->layerCLevel, 0.3f + 0.24f / 100.0f + 0.004f);
    frameAt(15.6);
    EXPECT_FLOAT_EQ(script->layerCLevel, 0.3f + 0.24f / 100.0f + 0.008f) << "only the brightening from 15.6 s";
}

TEST_F(ShowTest, ThePulseTurnsAtItsEdgesWithoutClamping) {
    script->layerCLevel = 0.499f;
    frameAt(3.0);
    EXPECT_GT(script->layerCLevel, 0.5f);
    EXPECT_EQ(script->pulseDirection, -1);
}

TEST_F(ShowTest, ScrollerAndBannerStartAtFortySixSeconds) {
    EXPECT_FALSE(frameAt(45.99).scrollerCapture);
    const auto& frame = frameAt(46.0);
    EXPECT_TRUE(frame.scrollerCapture);
    EXPECT_TRUE(frame.banner);
    EXPECT_NEAR(script->scrollPosition, 2400.0f / (59.0f * 100.0f), 1e-5);
}

TEST_F(ShowTest, TheFrameThatFinishesTheScrollCapturesButDrawsNoBanner) {
    script->scrollPosition = 2399.99f;
    const auto& last = frameAt(100.0);
    EXPECT_TRUE(last.scrollerCapture);
    EXPECT_FALSE(last.banner);
    const auto& after = frameAt(100.01);
    EXPECT_FALSE(after.scrollerCapture);
    EXPECT_FALSE(after.banner);
}

TEST_F(ShowTest, TheStripStartsStrictlyAfterFiftyTwoSeconds) {
    EXPECT_FALSE(frameAt(52.0).thumbnailStrip);
    EXPECT_TRUE(frameAt(52.01).thumbnailStrip);
}

TEST_F(ShowTest, AtSeventySevenSecondsTheCloudGivesWayToTheTubeAndTheKnot) {
    EXPECT_TRUE(frameAt(76.99).particles);
    const auto& frame = frameAt(77.0);
    EXPECT_FALSE(frame.particles);
    EXPECT_TRUE(frame.tube);
    EXPECT_TRUE(frame.knot);
    EXPECT_FALSE(sharedShow().tubeEffect->morphPending) << "the morph starts in that frame";
    EXPECT_GT(script->knotDepth, 0.0f);
}

TEST_F(ShowTest, SpinGrowsFromSeventyNineSecondsAndStopsAtOne) {
    frameAt(78.9);
    EXPECT_EQ(sharedShow().tubeEffect->spinSpeed, 0.0f);
    frameAt(79.0);
    EXPECT_FLOAT_EQ(sharedShow().tubeEffect->spinSpeed, 0.001f);
    sharedShow().tubeEffect->spinSpeed = 0.9995f;
    frameAt(80.0);
    EXPECT_EQ(sharedShow().tubeEffect->spinSpeed, 1.0f);
}

TEST_F(ShowTest, WithoutATubeEffectTheRestOfTheFrameIsStillDrawn) {
    sharedShow().tubeEffect.reset();
    const auto& act = frameAt(90.0);
    EXPECT_FALSE(act.tube);
    EXPECT_TRUE(act.knot);
    EXPECT_EQ(frameAt(150.0).glowPasses, 1);
}

TEST_F(ShowTest, AtOneHundredSevenSecondsOnlyTheFinaleRuns) {
    EXPECT_TRUE(frameAt(106.99).firstAct);
    const auto& frame = frameAt(107.0);
    EXPECT_FALSE(frame.firstAct);
    EXPECT_EQ(frame.glowPasses, 1);
    EXPECT_FALSE(frame.insideView);
}

TEST_F(ShowTest, BeatWindowsGiveTenPassesFromTUntilTPlusFourTenths) {
    const auto& first = frameAt(138.225);
    EXPECT_TRUE(first.insideView);
    EXPECT_EQ(first.glowPasses, 10);
    const double beat = 141.425;
    EXPECT_EQ(frameAt(beat).glowPasses, 10);
    EXPECT_EQ(frameAt(beat + 0.39).glowPasses, 10);
    EXPECT_EQ(frameAt(beat + static_cast<double>(0.4f)).glowPasses, 1) << "the window is half-open";
    EXPECT_EQ(frameAt(147.0).glowPasses, 1);
    EXPECT_EQ(frameAt(160.5).glowPasses, 1);
    EXPECT_FALSE(insideBeatWindow(138.2));
    EXPECT_TRUE(insideBeatWindow(153.6)) << "overlapping windows: only the union matters";
}

TEST_F(ShowTest, FinaleBackdropsChangeStrictlyAfter123And169Seconds) {
    const GLuint* finale = sharedShow().state.finaleTextures;
    frameAt(123.0);
    EXPECT_EQ(script->finaleBackdrop, finale[0]);
    frameAt(123.01);
    EXPECT_EQ(script->finaleBackdrop, finale[1]);
    frameAt(169.0);
    EXPECT_EQ(script->finaleBackdrop, finale[1]);
    frameAt(169.01);
    EXPECT_EQ(script->finaleBackdrop, finale[2]);
}

TEST_F(ShowTest, TheQuitIsPostedOnlyPastTheEnd) {
    frameAt(175.5);
    EXPECT_FALSE(script->quitRequested());
    frameAt(175.51);
    EXPECT_TRUE(script->quitRequested());
    EXPECT_EQ(script->quitCode(), 1);
}

TEST_F(ShowTest, EveryFrameEndsWithDepthTestingTextureZeroAndWhite) {
    frameAt(0.0);
    EXPECT_NEAR(script->finaleAngle, 60.0f / 100.0f, 1e-6) << "60 degrees per second at 100 fps";
    for (double t : {0.0, 60.0, 140.0}) {
        frameAt(t);
        GLint depthFunc = 0, bound = -1;
        glGetIntegerv(GL_DEPTH_FUNC, &depthFunc);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_EQ(depthFunc, GL_LEQUAL) << t;
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST)) << t;
        EXPECT_EQ(bound, 0) << t;
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S)) << t;
        GLfloat colour[4];
        glGetFloatv(GL_CURRENT_COLOR, colour);
        EXPECT_EQ(colour[0], 1.0f) << t;
    }
}

// Frames of the real show at a few times, drawn from 0 s at 5 frames per second.
TEST_F(ShowTest, FramesAcrossBothActsShowWhatTheScriptDescribes) {
    auto meanBrightness = [] {
        const std::vector<unsigned char> rgb = [] {
            std::vector<unsigned char> p(800 * 600 * 3);
            glPixelStorei(GL_PACK_ALIGNMENT, 1);
            glReadBuffer(GL_BACK);
            glReadPixels(0, 0, 800, 600, GL_RGB, GL_UNSIGNED_BYTE, p.data());
            return p;
        }();
        double sum = 0;
        for (unsigned char c : rgb) sum += c;
        return sum / rgb.size();
    };
    double pulsePeak = 0, pulseLow = 1e9, banner = 0, beat = 0, afterBeat = 0;
    for (long frame = 0;; ++frame) {
        const double t = frame / 5.0;
        frameAt(t);
        if (t > 0.5 && t < 8.0) {
            if (script->layerCLevel > 0.45f) pulsePeak = std::max(pulsePeak, meanBrightness());
            if (script->layerCLevel < 0.05f) pulseLow = std::min(pulseLow, meanBrightness());
        }
        if (frame == 300) banner = meanBrightness();  // 60 s
        if (frame == 698) {                            // 139.6 s, on a beat
            EXPECT_EQ(script->lastFrame().glowPasses, 10);
            beat = meanBrightness();
        }
        if (frame == 701) {  // 140.2 s, between two beats
            EXPECT_EQ(script->lastFrame().glowPasses, 1);
            afterBeat = meanBrightness();
            break;
        }
    }
    EXPECT_GT(pulsePeak, pulseLow + 2.0) << "the first backdrop pulses";
    EXPECT_GT(banner, 20.0) << "the first act is lit at 60 s";
    EXPECT_GT(beat, afterBeat) << "the glow flashes inside a beat window";
}

}  // namespace
