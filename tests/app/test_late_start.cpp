// The wait before a late start, in a window of SDL's offscreen driver: what ends it early, and
// the bar it shows. Its steps sleep a millisecond each, like the show's skipped frames, so
// counting steps tells how soon after an event the wait looked at its messages without
// reading a clock: it looks every 20 ms, so within 100 steps of an event it must have ended.
#define GL_GLEXT_PROTOTYPES 1
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glext.h>
#include <SDL.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/late_start.h"
#include "app/main_loop.h"
#include "gl/drawing_surface.h"
#include "platform/stop_signals.h"
#include "tests/app/demo_window_fixture.h"
#include "tests/support/gl_test_context.h"
#include "texture/framebuffer_capture.h"

namespace {

constexpr long kLongWork = 100000;  // steps: a wait that nobody would sit through
constexpr long kStepsAfterAnEvent = 100;

class LateStart : public DemoWindowTest {
protected:
    // Runs `total` steps of a millisecond each; `atStep` sees each step's number first.
    std::optional<int> wait(long total, const std::function<void(long step)>& atStep) {
        const WaitHooks hooks{
            [&] {
                if (steps == total) return false;
                atStep(++steps);
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                return true;
            },
            [&] { drawnAtStep.push_back(steps); },
        };
        return runWaitLoop(*window, hooks);
    }

    static void push(const SDL_Event& event) { SDL_PushEvent(const_cast<SDL_Event*>(&event)); }
    static SDL_Event key(SDL_Keycode code) {
        SDL_Event event{};
        event.type = SDL_KEYDOWN;
        event.key.keysym.sym = code;
        return event;
    }

    long steps = 0;
    std::vector<long> drawnAtStep;
};

// Escape and a close end the wait with 0, a stop signal with 128 + the signal, each through
// the window's destroy path (desktop back, context gone), soon after it came and long before
// the work is done; a signal, being a flag the loop reads, at the very step it came in.
TEST_F(LateStart, EscapeACloseOrAStopSignalEndsTheWaitSoonAfterItCame) {
    catchStopSignals();
    SDL_Event close{};
    close.type = SDL_QUIT;
    const struct {
        const char* what;
        std::function<void()> send;
        int code;
        long stepsLate;
    } endings[] = {
        {"Escape", [] { push(key(SDLK_ESCAPE)); }, 0, kStepsAfterAnEvent},
        {"a close", [&] { push(close); }, 0, kStepsAfterAnEvent},
        {"SIGTERM", [] { std::raise(SIGTERM); }, 143, 0},
        {"SIGHUP", [] { std::raise(SIGHUP); }, 129, 0},
    };
    constexpr long kSentAt = 50;
    for (const auto& ending : endings) {
        TearDown();
        SetUp();
        window->toggleFullScreen();
        window->show();
        steps = 0;
        const std::optional<int> code = wait(kLongWork, [&](long step) {
            if (step == kSentAt) ending.send();
        });
        ASSERT_TRUE(code.has_value()) << ending.what << " did not end the wait";
        EXPECT_EQ(*code, ending.code) << ending.what;
        EXPECT_LE(steps, kSentAt + ending.stepsLate) << ending.what << " was taken late";
        EXPECT_FALSE(window->isFullScreen()) << ending.what;
        EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE) << ending.what;
        EXPECT_FALSE(window->hasContext()) << ending.what;
    }
}

// Other keys are the window procedure's to swallow; the wait runs every step, and its
// progress is on screen before the first one.
TEST_F(LateStart, WithoutAnEndingTheWorkIsDoneAndTheProgressShowsFromTheStart) {
    push(key(SDLK_a));
    push(key(SDLK_SPACE));
    const std::optional<int> code = wait(200, [&](long step) {
        if (step == 100) push(key(SDLK_RETURN));
    });
    EXPECT_FALSE(code.has_value()) << "ended with " << code.value_or(-1);
    EXPECT_EQ(steps, 200);
    ASSERT_FALSE(drawnAtStep.empty());
    EXPECT_EQ(drawnAtStep.front(), 0) << "the window is blank until the first redraw";
    EXPECT_TRUE(window->hasContext());
}

// The bar goes into the window's own buffer, whatever the show has bound, and everything it
// changes is put back: the show's frames after the wait must not see it.
TEST_F(LateStart, TheBarIsDrawnInTheWindowAndLeavesTheShowsStateAsItFoundIt) {
    DrawingSurface surface;
    ASSERT_TRUE(surface.create(FrameSize{}, nullptr));  // bound, as during the wait
    glClearColor(0.2f, 0.4f, 0.6f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    surface.setRasterising(false);
    glColorMask(GL_TRUE, GL_FALSE, GL_TRUE, GL_FALSE);
    GLint surfaceFramebuffer = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &surfaceFramebuffer);
    ASSERT_NE(surfaceFramebuffer, 0);

    drawWaitBar(800, 600, 0.25);

    GLint drawBinding = 0, readBinding = 0, scissor[4] = {1, 1, 1, 1};
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawBinding);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readBinding);
    glGetIntegerv(GL_SCISSOR_BOX, scissor);
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    GLboolean mask[4];
    glGetBooleanv(GL_COLOR_WRITEMASK, mask);
    EXPECT_EQ(drawBinding, surfaceFramebuffer);
    EXPECT_EQ(readBinding, surfaceFramebuffer);
    EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
    EXPECT_EQ(scissor[2], 0);
    EXPECT_EQ(scissor[3], 0);
    EXPECT_FLOAT_EQ(clear[1], 0.4f);
    EXPECT_TRUE(mask[0] && !mask[1] && mask[2] && !mask[3]);
    EXPECT_TRUE(glIsEnabled(GL_DITHER));
    surface.setRasterising(true);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    const std::vector<unsigned char> show = surface.readRgb();
    EXPECT_EQ(show[0], 51) << "the surface kept the show's own pixels";

    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    testsupport::saveForLooking("wait_bar.png");
    // The bar: 400 x 15 pixels from (200, 292), a quarter of it lit.
    const auto at = [](int x, int y) { return testsupport::readPixel(x, y).g; };
    EXPECT_EQ(at(5, 5), 0) << "black around the bar";
    EXPECT_EQ(at(200, 150), 0);
    EXPECT_GT(at(210, 299), 200) << "the part done";
    EXPECT_GT(at(290, 299), 200);
    EXPECT_LT(at(310, 299), 100) << "the part to come";
    EXPECT_GT(at(310, 299), 30);
    EXPECT_EQ(at(610, 299), 0) << "past the bar's end";
}

}  // namespace
