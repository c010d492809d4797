#include "tests/support/gl_test_context.h"

#include <GL/gl.h>

#include <memory>

#include "platform/gl_context.h"
#include "texture/framebuffer_capture.h"
#include "texture/png_writer.h"

namespace testsupport {
namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

struct Context {
    std::unique_ptr<GlContext> gl;
    std::string error;
    bool tried = false;
};

// Never destroyed: a static destructor would tear the context down after the driver's own
// statics are gone, which can hang inside the driver at exit. The process end releases it.
Context& context() {
    static Context* c = new Context;
    return *c;
}

}  // namespace

bool ensureGlContext(std::string* why) {
    Context& c = context();
    if (!c.tried) {
        c.tried = true;
        WindowDescription description = hiddenWindow(kWidth, kHeight);
        description.title = "test";
        c.gl = GlContext::open(description, &c.error);
    }
    if (!c.gl) {
        if (why) *why = "no GL context: " + c.error;
        return false;
    }
    c.gl->makeCurrent();
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

bool saveBackBufferPng(const std::string& path) {
    glReadBuffer(GL_BACK);
    return writePng(path, kWidth, kHeight, captureFramebufferRgb(kWidth, kHeight)).empty();
}

std::vector<unsigned char> textureRgb(GLuint texture, int* width, int* height) {
    glBindTexture(GL_TEXTURE_2D, texture);
    GLint w = 0, h = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    std::vector<unsigned char> rgb(static_cast<size_t>(w) * h * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    if (width) *width = w;
    if (height) *height = h;
    return rgb;
}

void saveForLooking(const std::string& name) {
    if (const char* dir = std::getenv("DEMO_LOOK_DIR")) saveBackBufferPng(std::string(dir) + "/" + name);
}

void saveForLooking(const std::string& name, const std::vector<unsigned char>& rgb, int width, int height) {
    if (const char* dir = std::getenv("DEMO_LOOK_DIR"))
        static_cast<void>(writePng(std::string(dir) + "/" + name, width, height, rgb));
}

}  // namespace testsupport
