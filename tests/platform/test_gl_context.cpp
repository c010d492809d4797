// The hidden context everything but the show draws into: it must have what the show's window
// asks for, and end on what ends the show.
#include "platform/gl_context.h"

#include <gtest/gtest.h>

#include <SDL.h>
#include <GL/gl.h>

#include <array>
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
    EXPECT_TRUE(testsupport::ensureGlContext()) << "the hidden context outlives another window's teardown";
    EXPECT_EQ(bufferBits(), hidden);
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
