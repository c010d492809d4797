// The main loop and the window procedure, driven by synthetic events on SDL's offscreen
// video driver.
#include <gtest/gtest.h>

#include <SDL.h>
#include <GL/gl.h>

#include <csignal>
#include <string>
#include <vector>

#include "app/main_loop.h"
#include "platform/stop_signals.h"
#include "tests/app/demo_window_fixture.h"

namespace {

class MainLoop : public DemoWindowTest {
protected:
    static void pushKey(SDL_Keycode key) {
        SDL_Event event{};
        event.type = SDL_KEYDOWN;
        event.key.keysym.sym = key;
        SDL_PushEvent(&event);
    }
    static int pendingEvents() {
        SDL_PumpEvents();
        return SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT);
    }

    // Runs the loop; each frame records how many events were still waiting, and `onFrame`
    // may queue more.
    int run(std::function<void(int frame)> onFrame) {
        FrameHooks hooks{[&] {
                             pendingAtFrame.push_back(pendingEvents());
                             onFrame(static_cast<int>(pendingAtFrame.size()));
                         },
                         [&] { return 0.01 * static_cast<double>(pendingAtFrame.size()); }};
        return runMainLoop(*window, clock, timer, hooks);
    }

    DemoClock clock;
    FrameTimer timer;
    std::vector<int> pendingAtFrame;
};

TEST_F(MainLoop, ContextIsCurrentWithTheInitialStateAndSurfaceSize) {
    int width = 0, height = 0;
    SDL_GL_GetDrawableSize(window->sdlWindow(), &width, &height);
    EXPECT_EQ(width, 800);
    EXPECT_EQ(height, 600);
    GLint depthFunc = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunc);
    EXPECT_EQ(depthFunc, GL_LEQUAL);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(SDL_GetWindowFlags(window->sdlWindow()) & SDL_WINDOW_SHOWN, 0u) << "hidden until shown";
}

TEST_F(MainLoop, QueuedEventsAreAllDispatchedBeforeAFrameAndOtherKeysDoNothing) {
    for (SDL_Keycode key : {SDLK_a, SDLK_SPACE, SDLK_RETURN}) pushKey(key);
    const int code = run([](int frame) {
        if (frame == 3) postQuitMessage(1);
    });
    EXPECT_EQ(code, 1);
    ASSERT_EQ(pendingAtFrame.size(), 3u) << "no key ended the loop";
    for (int pending : pendingAtFrame) EXPECT_EQ(pending, 0);
    EXPECT_NEAR(clock.demoTime, 0.03, 1e-9) << "the clock is read after every frame";
}

TEST_F(MainLoop, EscapeRunsTheDestroyPathAndExitsWithZero) {
    window->toggleFullScreen();
    window->show();
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE) << "no cursor over a full-screen show";
    const int code = run([](int frame) {
        if (frame == 2) pushKey(SDLK_ESCAPE);
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(pendingAtFrame.size(), 2u) << "no frame after Escape";
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
    EXPECT_FALSE(window->isFullScreen());
    EXPECT_FALSE(window->hasContext());
}

TEST_F(MainLoop, AStopSignalRunsTheDestroyPathWithOneHundredTwentyEightPlusTheSignal) {
    catchStopSignals();
    window->toggleFullScreen();
    window->show();
    const int code = run([](int frame) {
        if (frame == 2) std::raise(SIGTERM);
        if (frame == 5) postQuitMessage(1);  // the signal was missed
    });
    EXPECT_EQ(code, 143);
    EXPECT_EQ(pendingAtFrame.size(), 2u) << "no frame after the signal";
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
    EXPECT_FALSE(window->isFullScreen());
    EXPECT_FALSE(window->hasContext());
    EXPECT_EQ(stopsignals::caught(), 0) << "taken once, as its message";
}

TEST_F(MainLoop, ASignalIgnoredByWhoeverStartedUsStaysIgnored) {
    std::signal(SIGHUP, SIG_IGN);  // as nohup leaves it
    catchStopSignals();
    std::raise(SIGHUP);
    EXPECT_EQ(stopsignals::caught(), 0);
    std::signal(SIGHUP, SIG_DFL);
    catchStopSignals();
    std::raise(SIGHUP);
    EXPECT_EQ(stopsignals::caught(), SIGHUP);
    EXPECT_EQ(run([](int frame) {
                  if (frame == 5) postQuitMessage(1);  // the signal was missed
              }),
              129);
}

TEST_F(MainLoop, F11AndAltEnterSwitchBetweenFullScreenAndAWindow) {
    window->show();
    ASSERT_FALSE(window->isFullScreen());
    Message key;
    key.kind = MessageKind::KeyDown;
    key.key = SDLK_F11;
    window->dispatchMessage(key);
    EXPECT_TRUE(window->isFullScreen());
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    key.key = SDLK_RETURN;
    window->dispatchMessage(key);
    EXPECT_TRUE(window->isFullScreen()) << "Enter alone is swallowed";
    key.keyModifiers = KMOD_LALT;
    window->dispatchMessage(key);
    EXPECT_FALSE(window->isFullScreen());
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
    EXPECT_TRUE(window->hasContext());
}

TEST_F(MainLoop, AWindowCloseEndsLikeEscape) {
    SDL_Event event{};
    event.type = SDL_QUIT;
    SDL_PushEvent(&event);
    EXPECT_EQ(run([](int) {}), 0);
    EXPECT_TRUE(pendingAtFrame.empty());
}

TEST_F(MainLoop, AResizeSetsTheFortyFiveDegreeProjection) {
    Message resize;
    resize.kind = MessageKind::Resize;
    resize.width = 640;
    resize.height = 0;
    window->dispatchMessage(resize);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 640);
    EXPECT_EQ(viewport[3], 1) << "a height of 0 counts as 1";
}

}  // namespace
