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

template <typename Function>
Function entry(Function& slot, const char* name) {
    if (!slot) slot = reinterpret_cast<Function>(reinterpret_cast<void*>(wglGetProcAddress(name)));
    return slot;
}

}  // namespace

void APIENTRY glGenerateMipmap(GLenum target) {
    static PFNGLGENERATEMIPMAPPROC f;
    entry(f, "glGenerateMipmap")(target);
}

void APIENTRY glBindFramebuffer(GLenum target, GLuint framebuffer) {
    static PFNGLBINDFRAMEBUFFERPROC f;
    entry(f, "glBindFramebuffer")(target, framebuffer);
}

void APIENTRY glBindRenderbuffer(GLenum target, GLuint renderbuffer) {
    static PFNGLBINDRENDERBUFFERPROC f;
    entry(f, "glBindRenderbuffer")(target, renderbuffer);
}

void APIENTRY glBlitFramebuffer(GLint srcX0, GLint srcY0, GLint srcX1, GLint srcY1, GLint dstX0, GLint dstY0,
                                GLint dstX1, GLint dstY1, GLbitfield mask, GLenum filter) {
    static PFNGLBLITFRAMEBUFFERPROC f;
    entry(f, "glBlitFramebuffer")(srcX0, srcY0, srcX1, srcY1, dstX0, dstY0, dstX1, dstY1, mask, filter);
}

GLenum APIENTRY glCheckFramebufferStatus(GLenum target) {
    static PFNGLCHECKFRAMEBUFFERSTATUSPROC f;
    return entry(f, "glCheckFramebufferStatus")(target);
}

void APIENTRY glDeleteFramebuffers(GLsizei n, const GLuint* framebuffers) {
    static PFNGLDELETEFRAMEBUFFERSPROC f;
    entry(f, "glDeleteFramebuffers")(n, framebuffers);
}

void APIENTRY glDeleteRenderbuffers(GLsizei n, const GLuint* renderbuffers) {
    static PFNGLDELETERENDERBUFFERSPROC f;
    entry(f, "glDeleteRenderbuffers")(n, renderbuffers);
}

void APIENTRY glFramebufferRenderbuffer(GLenum target, GLenum attachment, GLenum renderbuffertarget,
                                        GLuint renderbuffer) {
    static PFNGLFRAMEBUFFERRENDERBUFFERPROC f;
    entry(f, "glFramebufferRenderbuffer")(target, attachment, renderbuffertarget, renderbuffer);
}

void APIENTRY glGenFramebuffers(GLsizei n, GLuint* framebuffers) {
    static PFNGLGENFRAMEBUFFERSPROC f;
    entry(f, "glGenFramebuffers")(n, framebuffers);
}

void APIENTRY glGenRenderbuffers(GLsizei n, GLuint* renderbuffers) {
    static PFNGLGENRENDERBUFFERSPROC f;
    entry(f, "glGenRenderbuffers")(n, renderbuffers);
}

void APIENTRY glRenderbufferStorage(GLenum target, GLenum internalformat, GLsizei width, GLsizei height) {
    static PFNGLRENDERBUFFERSTORAGEPROC f;
    entry(f, "glRenderbufferStorage")(target, internalformat, width, height);
}
