#include "tests/support/gl_test_context.h"
#include "tests/support/temp_folder.h"

#include <SDL.h>
#include <GL/gl.h>

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "texture/png_writer.h"

namespace testsupport {
namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

struct Context {
    SDL_Window* window = nullptr;
    SDL_GLContext gl = nullptr;
    std::string error;
    bool tried = false;
};

Context& context() {
    static Context c;
    return c;
}

void create(Context& c) {
    if (!std::getenv("SDL_VIDEODRIVER")) SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        c.error = std::string("SDL video: ") + SDL_GetError();
        return;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 1);
    c.window = SDL_CreateWindow("test", 0, 0, kWidth, kHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!c.window) {
        c.error = std::string("SDL window: ") + SDL_GetError();
        return;
    }
    c.gl = SDL_GL_CreateContext(c.window);
    if (!c.gl) c.error = std::string("GL context: ") + SDL_GetError();
}

}  // namespace

bool ensureGlContext(std::string* why) {
    Context& c = context();
    if (!c.tried) {
        c.tried = true;
        create(c);
    }
    if (!c.gl) {
        if (why) *why = "no GL context: " + c.error;
        return false;
    }
    SDL_GL_MakeCurrent(c.window, c.gl);
    return true;
}

void resetGlState() {
    while (glGetError() != GL_NO_ERROR) {
    }
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glViewport(0, 0, kWidth, kHeight);
    glDisable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ZERO);
    glDisable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDisable(GL_CULL_FACE);
    glFrontFace(GL_CCW);
    glCullFace(GL_BACK);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glDisable(GL_TEXTURE_GEN_R);
    glBindTexture(GL_TEXTURE_2D, 0);
    glListBase(0);
    glColor4f(1, 1, 1, 1);
    glClearColor(0, 0, 0, 0);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
}

Rgb readPixel(int x, int y) {
    unsigned char p[4] = {0, 0, 0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return {p[0], p[1], p[2]};
}

std::string uniqueTempPath(const std::string& name) {
    return tempPath(name);
}

bool saveBackBufferPng(const std::string& path) {
    glReadBuffer(GL_BACK);
    return writePng(path, kWidth, kHeight, captureFramebufferRgb(kWidth, kHeight)).empty();
}

}  // namespace testsupport
