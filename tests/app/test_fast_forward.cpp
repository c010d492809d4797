// The fast-forward's promise that its skipped frames cost the driver nothing, checked by a
// counting dispatch: this binary defines the GL entry points a frame uses, so the show's calls
// come here first; each is counted, and counted again when a context is current (as the window
// system itself answers, not SDL's bookkeeping), i.e. when it would reach the driver, before it
// is passed on to the GL library.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <memory>

#include "app/simulated_show.h"
#include "app/startup.h"
#include "gl/drawing_surface.h"
#include "tests/support/gl_test_context.h"

namespace {

long callsMade = 0;
long callsReachingDriver = 0;

using CurrentContext = void* (*)();

// SDL loads the window system's library privately, so it is looked up by name, loaded already.
CurrentContext currentContextIn(const char* library, const char* function) {
    void* handle = dlopen(library, RTLD_LAZY | RTLD_NOLOAD);
    return handle ? reinterpret_cast<CurrentContext>(dlsym(handle, function)) : nullptr;
}

// EGL under SDL's offscreen driver, GLX under X11: whichever the process has loaded.
bool contextCurrent() {
    static const CurrentContext egl = currentContextIn("libEGL.so.1", "eglGetCurrentContext");
    static const CurrentContext glx = currentContextIn("libGLX.so.0", "glXGetCurrentContext");
    return (egl && egl()) || (glx && glx());
}

void count() {
    ++callsMade;
    if (contextCurrent()) ++callsReachingDriver;
}

template <typename F>
F next(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

}  // namespace

// Every entry point the script and the effects call in a frame, passed on unchanged.
#define PASS_ON(name, params, args)                                              \
    extern "C" void name params {                                                \
        static const auto real = next<void(*) params>(#name);                   \
        count();                                                                 \
        real args;                                                               \
    }
PASS_ON(glBegin, (GLenum m), (m))
PASS_ON(glEnd, (), ())
PASS_ON(glEnable, (GLenum c), (c))
PASS_ON(glDisable, (GLenum c), (c))
PASS_ON(glClear, (GLbitfield m), (m))
PASS_ON(glClearColor, (GLclampf r, GLclampf g, GLclampf b, GLclampf a), (r, g, b, a))
PASS_ON(glViewport, (GLint x, GLint y, GLsizei w, GLsizei h), (x, y, w, h))
PASS_ON(glMatrixMode, (GLenum m), (m))
PASS_ON(glLoadIdentity, (), ())
PASS_ON(glPushMatrix, (), ())
PASS_ON(glPopMatrix, (), ())
PASS_ON(glTranslatef, (GLfloat x, GLfloat y, GLfloat z), (x, y, z))
PASS_ON(glRotatef, (GLfloat a, GLfloat x, GLfloat y, GLfloat z), (a, x, y, z))
PASS_ON(glScalef, (GLfloat x, GLfloat y, GLfloat z), (x, y, z))
PASS_ON(glBlendFunc, (GLenum s, GLenum d), (s, d))
PASS_ON(glDepthFunc, (GLenum f), (f))
PASS_ON(glFrontFace, (GLenum m), (m))
PASS_ON(glBindTexture, (GLenum t, GLuint n), (t, n))
PASS_ON(glTexGeni, (GLenum c, GLenum p, GLint v), (c, p, v))
PASS_ON(glColor3f, (GLfloat r, GLfloat g, GLfloat b), (r, g, b))
PASS_ON(glColor4f, (GLfloat r, GLfloat g, GLfloat b, GLfloat a), (r, g, b, a))
PASS_ON(glColor4fv, (const GLfloat* v), (v))
PASS_ON(glTexCoord2f, (GLfloat s, GLfloat t), (s, t))
PASS_ON(glNormal3d, (GLdouble x, GLdouble y, GLdouble z), (x, y, z))
PASS_ON(glVertex2f, (GLfloat x, GLfloat y), (x, y))
PASS_ON(glVertex3f, (GLfloat x, GLfloat y, GLfloat z), (x, y, z))
PASS_ON(glVertex3d, (GLdouble x, GLdouble y, GLdouble z), (x, y, z))
PASS_ON(glDrawArrays, (GLenum m, GLint f, GLsizei n), (m, f, n))
PASS_ON(glInterleavedArrays, (GLenum f, GLsizei s, const GLvoid* p), (f, s, p))
PASS_ON(glListBase, (GLuint b), (b))
PASS_ON(glCallLists, (GLsizei n, GLenum t, const GLvoid* l), (n, t, l))
PASS_ON(glCopyTexImage2D, (GLenum t, GLint l, GLenum f, GLint x, GLint y, GLsizei w, GLsizei h, GLint b),
        (t, l, f, x, y, w, h, b))
#undef PASS_ON

namespace {

// From start-up to 150 s at 10 frames a second, as the capture runs it for --from 150: both
// acts, the banner's and the glow's corner captures, the finale's beats.
TEST(FastForward, SkippedFramesReachNoDriverAndTheSettlingFrameDoes) {
    REQUIRE_GL();
    ASSERT_TRUE(contextCurrent()) << "no way to ask the window system for the current context";
    Show show;
    ASSERT_EQ(loadShow(show), "");
    {
        DrawingSurface surface;
        ASSERT_TRUE(surface.fit(show.frame, 800, 600, nullptr));
        SimulatedShow simulated(show, surface, 10, 1);
        constexpr long kShown = 1500;
        for (long frame = 0; frame <= kShown; ++frame) {
            const FrameUse use = frameUseAhead(kShown - frame);
            callsMade = callsReachingDriver = 0;
            simulated.runFrame(frame, use);
            ASSERT_GT(callsMade, 0) << "frame " << frame << ": the counting dispatch saw none of its calls";
            if (use == FrameUse::Skipped)
                ASSERT_EQ(callsReachingDriver, 0) << "frame " << frame << " was skipped";
            else
                ASSERT_EQ(callsReachingDriver, callsMade) << "frame " << frame;
        }
    }
    EXPECT_TRUE(contextCurrent()) << "the context is current again after the fast-forward";
    releaseShow(show);
}

}  // namespace
