// The hidden context everything but the show draws into: it must have what the show's window
// asks for, and end on what ends the show.
#include "platform/gl_context.h"

#include <gtest/gtest.h>

#include <SDL.h>
#include <GL/gl.h>

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
