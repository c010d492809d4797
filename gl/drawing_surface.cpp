#define GL_GLEXT_PROTOTYPES 1
#include "gl/drawing_surface.h"

#include <GL/glext.h>

#include <cstring>

#include "texture/framebuffer_capture.h"

namespace {

bool hasFramebufferObjects() {
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    if (version && version[0] >= '3' && version[0] <= '9') return true;
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    return extensions && std::strstr(extensions, "GL_ARB_framebuffer_object");
}

const char* incompleteReason(GLenum status) {
    switch (status) {
        case GL_FRAMEBUFFER_UNSUPPORTED: return "its formats are unsupported";
        case GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT: return "an attachment is incomplete";
        default: return "it is incomplete";
    }
}

}  // namespace

DrawingSurface::~DrawingSurface() { release(); }

void DrawingSurface::release() {
    if (framebuffer_) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &framebuffer_);
        glDeleteRenderbuffers(1, &colour_);
        glDeleteRenderbuffers(1, &depthStencil_);
    }
    framebuffer_ = colour_ = depthStencil_ = 0;
}

bool DrawingSurface::fit(const FrameSize& size, int windowWidth, int windowHeight, std::string* why) {
    if (windowWidth == size.width && windowHeight == size.height) {
        release();
        size_ = size;
        return true;
    }
    if (unavailable_ || (framebuffer_ && size_ == size)) {
        size_ = size;
        return true;
    }
    return create(size, why);
}

bool DrawingSurface::create(const FrameSize& size, std::string* why) {
    release();
    size_ = size;
    if (!hasFramebufferObjects()) {
        unavailable_ = true;
        if (why) *why = "the GL context offers no framebuffer objects";
        return false;
    }
    // No alpha channel, like the window the show was made for: destination alpha reads 1.
    glGenRenderbuffers(1, &colour_);
    glBindRenderbuffer(GL_RENDERBUFFER, colour_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB8, size.width, size.height);
    // At least the 16 depth bits and the stencil bit the show asks of a window.
    glGenRenderbuffers(1, &depthStencil_);
    glBindRenderbuffer(GL_RENDERBUFFER, depthStencil_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, size.width, size.height);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);

    glGenFramebuffers(1, &framebuffer_);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depthStencil_);
    const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    if (status != GL_FRAMEBUFFER_COMPLETE) {
        release();
        unavailable_ = true;
        if (why) *why = std::string("the drawing surface cannot be made: ") + incompleteReason(status);
        return false;
    }
    // A new framebuffer holds undefined pixels; the first present may come before a frame.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    return true;
}

void DrawingSurface::bind() const {
    if (framebuffer_) glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
}

void DrawingSurface::present(int windowWidth, int windowHeight) const {
    if (!framebuffer_) return;
    const PixelRect box = letterbox(windowWidth, windowHeight);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    if (box.width != windowWidth || box.height != windowHeight) {
        // The bars: the frame's own clear colour (it changes it mid-frame) is put back after.
        GLfloat clearColour[4];
        glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);
    }
    const bool sameSize = box.width == size_.width && box.height == size_.height;
    glBlitFramebuffer(0, 0, size_.width, size_.height, box.x, box.y, box.x + box.width, box.y + box.height,
                      GL_COLOR_BUFFER_BIT, sameSize ? GL_NEAREST : GL_LINEAR);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
}

std::vector<unsigned char> DrawingSurface::readRgb() const {
    if (framebuffer_) {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
        glReadBuffer(GL_COLOR_ATTACHMENT0);
    } else {
        glReadBuffer(GL_BACK);
    }
    return captureFramebufferRgb(size_.width, size_.height);
}

void DrawingSurface::setRasterising(bool on) {
    rasterising_ = on;
    if (on) {
        glDisable(GL_SCISSOR_TEST);
        return;
    }
    glScissor(0, 0, 0, 0);
    glEnable(GL_SCISSOR_TEST);
}
