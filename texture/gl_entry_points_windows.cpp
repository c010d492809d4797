// The OpenGL functions past version 1.1 that the engine calls by name (the picture upload's
// mipmaps, the drawing surface, the late start). Linux's libGL exports them; Windows' opengl32.dll stops at 1.1 and hands the rest out
// through wglGetProcAddress, so here each is defined as a forwarder to the driver's entry,
// looked up at its first call (with a context current, as every call is). The calls themselves
// stay as they are written.
#define GL_GLEXT_PROTOTYPES 1
#include <windows.h>

#include <GL/gl.h>
#include <GL/glext.h>

namespace {

// Null when no context is current (a fast-forward's frames, or a clean-up after the window has
// gone): the calls then go nowhere, as opengl32's own and Linux's libGL's do, where the driver's
// entry, called without its context, would crash. Null too for an entry the driver lacks.
template <typename Function>
Function entry(Function& slot, const char* name) {
    if (!wglGetCurrentContext()) return nullptr;
    if (!slot) slot = reinterpret_cast<Function>(reinterpret_cast<void*>(wglGetProcAddress(name)));
    return slot;
}

}  // namespace

void APIENTRY glGenerateMipmap(GLenum target) {
    static PFNGLGENERATEMIPMAPPROC f;
    if (const auto call = entry(f, "glGenerateMipmap")) call(target);
}

void APIENTRY glBindFramebuffer(GLenum target, GLuint framebuffer) {
    static PFNGLBINDFRAMEBUFFERPROC f;
    if (const auto call = entry(f, "glBindFramebuffer")) call(target, framebuffer);
}

void APIENTRY glBindRenderbuffer(GLenum target, GLuint renderbuffer) {
    static PFNGLBINDRENDERBUFFERPROC f;
    if (const auto call = entry(f, "glBindRenderbuffer")) call(target, renderbuffer);
}

void APIENTRY glBlitFramebuffer(GLint srcX0, GLint srcY0, GLint srcX1, GLint srcY1, GLint dstX0, GLint dstY0,
                                GLint dstX1, GLint dstY1, GLbitfield mask, GLenum filter) {
    static PFNGLBLITFRAMEBUFFERPROC f;
    if (const auto call = entry(f, "glBlitFramebuffer")) call(srcX0, srcY0, srcX1, srcY1, dstX0, dstY0, dstX1, dstY1, mask, filter);
}

GLenum APIENTRY glCheckFramebufferStatus(GLenum target) {
    static PFNGLCHECKFRAMEBUFFERSTATUSPROC f;
    const auto call = entry(f, "glCheckFramebufferStatus");
    return call ? call(target) : 0;
}

void APIENTRY glDeleteFramebuffers(GLsizei n, const GLuint* framebuffers) {
    static PFNGLDELETEFRAMEBUFFERSPROC f;
    if (const auto call = entry(f, "glDeleteFramebuffers")) call(n, framebuffers);
}

void APIENTRY glDeleteRenderbuffers(GLsizei n, const GLuint* renderbuffers) {
    static PFNGLDELETERENDERBUFFERSPROC f;
    if (const auto call = entry(f, "glDeleteRenderbuffers")) call(n, renderbuffers);
}

void APIENTRY glFramebufferRenderbuffer(GLenum target, GLenum attachment, GLenum renderbuffertarget,
                                        GLuint renderbuffer) {
    static PFNGLFRAMEBUFFERRENDERBUFFERPROC f;
    if (const auto call = entry(f, "glFramebufferRenderbuffer")) call(target, attachment, renderbuffertarget, renderbuffer);
}

void APIENTRY glGenFramebuffers(GLsizei n, GLuint* framebuffers) {
    static PFNGLGENFRAMEBUFFERSPROC f;
    if (const auto call = entry(f, "glGenFramebuffers")) call(n, framebuffers);
}

void APIENTRY glGenRenderbuffers(GLsizei n, GLuint* renderbuffers) {
    static PFNGLGENRENDERBUFFERSPROC f;
    if (const auto call = entry(f, "glGenRenderbuffers")) call(n, renderbuffers);
}

void APIENTRY glRenderbufferStorage(GLenum target, GLenum internalformat, GLsizei width, GLsizei height) {
    static PFNGLRENDERBUFFERSTORAGEPROC f;
    if (const auto call = entry(f, "glRenderbufferStorage")) call(target, internalformat, width, height);
}
