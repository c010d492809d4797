// The hidden context everything but the show draws into: it must have what the show's window
// asks for, end on what ends the show, and leave a window to be watched to find its display.
#include "platform/gl_context.h"

#include <gtest/gtest.h>

#include <SDL.h>
#include <GL/gl.h>

#include <array>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/demo_window.h"
#include "tests/support/gl_test_context.h"

namespace {

GLint glInteger(GLenum what) {
    GLint value = 0;
    glGetIntegerv(what, &value);
    return value;
}

// Without the show's request a context here gets no stencil buffer, and a test or a captured
// frame would then draw into a different kind of buffer than the show does.
TEST(GlContext, HasTheShowsStencilAndDepthBits) {
    REQUIRE_GL();
    const PixelFormat format = demoPixelFormat();
    EXPECT_GE(glInteger(GL_STENCIL_BITS), format.stencilBits);
    EXPECT_GE(glInteger(GL_DEPTH_BITS), format.depthBits);
    EXPECT_GE(glInteger(GL_RED_BITS) + glInteger(GL_GREEN_BITS) + glInteger(GL_BLUE_BITS), format.colorBits);
}

// Red, green, blue, alpha, depth and stencil bits of the current context's buffers.
std::array<GLint, 6> bufferBits() {
    return {glInteger(GL_RED_BITS),   glInteger(GL_GREEN_BITS), glInteger(GL_BLUE_BITS),
            glInteger(GL_ALPHA_BITS), glInteger(GL_DEPTH_BITS), glInteger(GL_STENCIL_BITS)};
}

// The show's window and the hidden contexts are described alike and made by one set-up: a
// captured frame or a test is drawn into buffers of the kind the show draws into, bit for bit.
TEST(GlContext, HasTheBuffersOfTheShowsWindow) {
    REQUIRE_GL();
    const std::array<GLint, 6> hidden = bufferBits();
    std::string error;
    std::unique_ptr<DemoWindow> window(createDemoWindow(800, 600, 32, "klasa_okna", "demo engine", &error));
    ASSERT_TRUE(window) << error;
    EXPECT_EQ(bufferBits(), hidden) << "red, green, blue, alpha, depth, stencil";
    window.reset();
    // The other window's teardown left no context current; ensureGlContext makes the hidden
    // one current again, and it still draws.
    ASSERT_TRUE(testsupport::ensureGlContext());
    EXPECT_NE(SDL_GL_GetCurrentContext(), nullptr);
    EXPECT_EQ(bufferBits(), hidden);
    glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    const testsupport::Rgb pixel = testsupport::readPixel(400, 300);
    EXPECT_EQ(pixel.r, 0);
    EXPECT_EQ(pixel.g, 255);
}

// SDL_VIDEODRIVER unset for a test's length, and put back as it was.
class NoDriverAskedFor {
public:
    NoDriverAskedFor() : was_(std::getenv("SDL_VIDEODRIVER") != nullptr) {
        if (was_) value_ = std::getenv("SDL_VIDEODRIVER");
        unsetenv("SDL_VIDEODRIVER");
    }
    ~NoDriverAskedFor() {
        if (was_) setenv("SDL_VIDEODRIVER", value_.c_str(), 1);
    }
    NoDriverAskedFor(const NoDriverAskedFor&) = delete;
    NoDriverAskedFor& operator=(const NoDriverAskedFor&) = delete;

private:
    bool was_;
    std::string value_;
};

// The offscreen driver a hidden context asks for is that context's alone: a window to be
// watched, opened after one, must be refused where there is no display, and draw on the
// display where there is one, never start on the offscreen driver and draw nowhere.
TEST(GlContext, AWindowToWatchAfterAHiddenContextIsRefusedWithoutADisplayAndShownWithOne) {
    // Video already running would decide the driver for both: that is another question.
    if (SDL_WasInit(SDL_INIT_VIDEO)) GTEST_SKIP() << "SDL's video is running in this process already";
    const NoDriverAskedFor noDriver;
    std::string error;
    if (!GlContext::open(hiddenWindow(64, 64), &error)) GTEST_SKIP() << error;
    WindowDescription watched;
    watched.width = 64;
    watched.height = 64;
    watched.title = "test";
    std::unique_ptr<GlWindow> window = GlWindow::open(watched, &error);
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
        EXPECT_FALSE(window) << "opened on " << SDL_GetCurrentVideoDriver();
        EXPECT_NE(error.find("no display"), std::string::npos) << error;
    } else {
        ASSERT_TRUE(window) << error;
        EXPECT_STRNE(SDL_GetCurrentVideoDriver(), "offscreen");
    }
}

SDL_Event key(SDL_Keycode sym) {
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.keysym.sym = sym;
    return event;
}

TEST(GlContext, EndsOnEscapeOrACloseAndNothingElse) {
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_Event close{};
    close.type = SDL_WINDOWEVENT;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    SDL_Event resize = close;
    resize.window.event = SDL_WINDOWEVENT_SIZE_CHANGED;
    EXPECT_TRUE(asksToEnd(key(SDLK_ESCAPE)));
    EXPECT_TRUE(asksToEnd(quit));
    EXPECT_TRUE(asksToEnd(close));
    EXPECT_FALSE(asksToEnd(key(SDLK_q))) << "only Escape, as in the show";
    EXPECT_FALSE(asksToEnd(resize));
    EXPECT_FALSE(asksToClose(key(SDLK_ESCAPE))) << "Escape is the window procedure's, not a close";
}

}  // namespace
